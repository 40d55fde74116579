#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine on a private Xvfb display,
# in a Wine prefix made fresh for this run (so the registry starts empty).
# Extra arguments go to ctest (for example -R Camera); Q7_TARGETS="a b" builds only those targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${Q7_BUILD_DIR:-$root/build}"
"$root/tools/install-packages.sh"
"$root/tools/check-format.sh"
if [ -n "${Q7_TARGETS:-}" ]; then
  # shellcheck disable=SC2086
  "$root/tools/build.sh" --target $Q7_TARGETS
else
  "$root/tools/build.sh"
  # From the dependency files the build just wrote: what the compiler really included.
  python3 "$root/tools/check_layers.py" --root "$root" --build "$build" ||
    { echo "test.sh: the layer check failed (above)" >&2; exit 1; }
fi
. "$root/tools/wine-session.sh"
trap q7_stop_session EXIT
# A step that fails says which, so a red run never ends on the build's last line.
q7_start_xvfb 1920x1080 || { echo "test.sh: no X display could be started" >&2; exit 1; }
q7_fresh_prefix "$build/wineprefix" || { echo "test.sh: the Wine prefix could not be made" >&2; exit 1; }
q7_start_wineserver || { echo "test.sh: the Wine server could not be started" >&2; exit 1; }
echo "test.sh: running the tests on display $DISPLAY"
set +e
# Wine now and then fails to start a process on a loaded machine; a failing test gets one more
# run, so only a fault that repeats fails the suite (CTest still prints the first failure).
ctest --test-dir "$build" --output-on-failure --timeout 120 -j2 --repeat until-pass:2 "$@"
rc=$?
exit $rc
