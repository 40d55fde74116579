#!/usr/bin/env bash
# tools/soak.sh [MINUTES] [SEED]: a long run of the built viewer as a user would use it, at
# random but the same for the same seed (default: 30 minutes, seed 1), with a simulated camera
# at 30 frames/s that is unplugged and plugged back every minute, delivers a bad frame now and
# then and refuses a property. Runs on a private Xvfb display in a Wine prefix of its own (made
# fresh, so no stored setting carries over), prints a table every 10 s of the run and one
# verdict line, and exits with 0 on a pass. The action log and the report stay in
# build/bin/soak-output/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${Q7_BUILD_DIR:-$root/build}"
minutes="${1:-30}"
seed="${2:-1}"
"$root/tools/install-packages.sh"
"$root/tools/build.sh" --target Q7Viewer Q7Resource soak_driver
. "$root/tools/wine-session.sh"
trap q7_stop_session EXIT
q7_start_xvfb 1920x1080
q7_fresh_prefix "$build/soak-prefix"
q7_start_wineserver
cd "$build/bin"
rm -rf soak-output
set +e
# Wine's note on every file dialog that it cannot read the volume label of Z: is left out.
wine ./soak_driver.exe --minutes "$minutes" --seed "$seed" ${Q7_SOAK_ARGS:-} 2> >(grep -v "FS volume label and serial" >&2)
exit $?
