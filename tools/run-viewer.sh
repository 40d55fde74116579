#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer under Wine with the simulated camera.
# Uses the X display of the session when there is one, otherwise a private Xvfb (and says so).
# The viewer's settings live in their own Wine prefix (~/.q7viewer/wineprefix) and persist between runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${Q7_BUILD_DIR:-$root/build}"
"$root/tools/install-packages.sh"
"$root/tools/build.sh" --target Q7Viewer Q7Resource
. "$root/tools/wine-session.sh"
windows=managed
if [ -z "${DISPLAY:-}" ]; then
  q7_start_xvfb 1920x1080
  echo "No X display found: the viewer runs on the virtual display $DISPLAY (Xvfb)."
  trap q7_stop_session EXIT
  windows=unmanaged  # no window manager there
fi
q7_ensure_prefix "${Q7_PREFIX:-$HOME/.q7viewer/wineprefix}" "$windows"
cd "$build/bin"
wine ./Q7Viewer.exe
