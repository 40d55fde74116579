# Sourced by the full-disk tests. q7_full_disk_drive BUILD_DIR SIZE LETTER FOLDER mounts a tmpfs
# of SIZE, maps it as Wine drive LETTER: of the test run's prefix ($WINEPREFIX, or the build's)
# with FOLDER made on it, and sets q7_disk to its Linux path; all of it is undone when the
# script exits. Mounting needs root: without it the script ends as skipped (exit code 77).
q7_full_disk_drive() {
  local build_dir=$1 size=$2 letter=$3 folder=$4
  q7_disk=$(mktemp -d /tmp/q7-full-disk.XXXXXX)
  if ! mount -t tmpfs -o size="$size" q7-full-disk "$q7_disk" 2>/dev/null; then
    rmdir "$q7_disk"
    echo "cannot mount a tmpfs here: skipped"
    exit 77
  fi
  q7_drive="${WINEPREFIX:-$build_dir/wineprefix}/dosdevices/$letter:"
  trap 'rm -f "$q7_drive"; umount "$q7_disk"; rmdir "$q7_disk"' EXIT
  ln -sfn "$q7_disk" "$q7_drive"
  # Wine answers nothing about the root of a drive it did not mount itself: use a folder on it.
  mkdir "$q7_disk/$folder"
}
