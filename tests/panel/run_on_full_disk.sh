#!/usr/bin/env bash
# Runs the snapshot's real-full-disk test: a 1 MB tmpfs mapped as Wine drive Q: of the test
# run's prefix. Mounting needs root; without it the test is skipped (exit code 77).
# Usage: run_on_full_disk.sh <build dir> <panel_test.exe>
set -euo pipefail
build_dir=$1
test_program=$2
prefix=${WINEPREFIX:-$build_dir/wineprefix}
disk=$(mktemp -d /tmp/q7-full-disk.XXXXXX)
if ! mount -t tmpfs -o size=1m q7-full-disk "$disk" 2>/dev/null; then
  rmdir "$disk"
  echo "cannot mount a tmpfs here: skipped"
  exit 77
fi
drive="$prefix/dosdevices/q:"
cleanup() {
  rm -f "$drive"
  umount "$disk"
  rmdir "$disk"
}
trap cleanup EXIT
ln -sfn "$disk" "$drive"
# Wine answers nothing about the root of a drive it did not mount itself: use a folder on it.
mkdir "$disk/shots"
cd "$build_dir/bin"
Q7_FULL_DISK='Q:\shots' "$build_dir/wine-run.sh" "$test_program" \
  --gtest_filter='SnapshotSaving.RealFullDiskKeepsOnlyWholeFiles'
