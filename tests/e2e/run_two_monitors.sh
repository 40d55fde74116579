#!/usr/bin/env bash
# Runs the two-monitor tests on a display of their own: two 1920x1080 monitors side by side,
# with a Wine prefix and wineserver of their own (a wineserver serves one display).
# Usage: run_two_monitors.sh <source dir> <build dir>
set -euo pipefail
source_dir=$1
build_dir=$2
. "$source_dir/tools/wine-session.sh"
trap q7_stop_session EXIT
q7_start_two_monitors
q7_fresh_prefix "$build_dir/wineprefix-two-monitors"
q7_start_wineserver
cd "$build_dir/bin"
wine ./viewer_two_monitor_test.exe
