#!/usr/bin/env bash
# Records onto a real full disk: a 2 MB tmpfs mapped as Wine drive R: of the test run's prefix,
# written until the disk is full; then check_avi_files.sh reads the file back. Mounting needs
# root; without it the test is skipped (exit code 77).
# usage: run_avi_on_full_disk.sh <build dir> <write_avi_samples.exe>
set -euo pipefail
build_dir=$1
writer=$2
here=$(cd "$(dirname "$0")" && pwd)
prefix=${WINEPREFIX:-$build_dir/wineprefix}
disk=$(mktemp -d /tmp/q7-avi-full-disk.XXXXXX)
if ! mount -t tmpfs -o size=2m q7-avi-full-disk "$disk" 2>/dev/null; then
  rmdir "$disk"
  echo "cannot mount a tmpfs here: skipped"
  exit 77
fi
drive="$prefix/dosdevices/r:"
cleanup() {
  rm -f "$drive"
  umount "$disk"
  rmdir "$disk"
}
trap cleanup EXIT
ln -sfn "$disk" "$drive"
# Wine answers nothing about the root of a drive it did not mount itself: use a folder on it.
mkdir "$disk/rec"
"$build_dir/wine-run.sh" "$writer" --full-disk 'R:\rec'
"$here/check_avi_files.sh" "$disk/rec"
