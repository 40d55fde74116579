#!/usr/bin/env bash
# Runs the snapshot's real-full-disk test: a 1 MB tmpfs mapped as Wine drive Q: of the test
# run's prefix. Mounting needs root; without it the test is skipped (exit code 77).
# Usage: run_on_full_disk.sh <build dir> <panel_test.exe>
set -euo pipefail
build_dir=$1
test_program=$2
. "$(cd "$(dirname "$0")" && pwd)/../support/full_disk_drive.sh"
q7_full_disk_drive "$build_dir" 1m q shots
cd "$build_dir/bin"
Q7_FULL_DISK='Q:\shots' "$build_dir/wine-run.sh" "$test_program" \
  --gtest_filter='SnapshotSaving.RealFullDiskKeepsOnlyWholeFiles'
