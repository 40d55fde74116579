#!/usr/bin/env bash
# Records onto a real full disk: a 2 MB tmpfs mapped as Wine drive R: of the test run's prefix,
# written until the disk is full; then check_avi_files.sh reads the file back. Mounting needs
# root; without it the test is skipped (exit code 77).
# usage: run_avi_on_full_disk.sh <build dir> <write_avi_samples.exe>
set -euo pipefail
build_dir=$1
writer=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/full_disk_drive.sh"
q7_full_disk_drive "$build_dir" 2m r rec
"$build_dir/wine-run.sh" "$writer" --full-disk 'R:\rec'
"$here/check_avi_files.sh" "$q7_disk/rec"
