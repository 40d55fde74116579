#!/usr/bin/env bash
# An end-to-end test killed at its time-out (as CTest kills it: SIGKILL, no chance to clean
# up) leaves no Q7Viewer.exe running. Usage: killed_test_leaves_no_viewer.sh <bin dir>;
# runs in the test run's Wine session.
set -u
cd "$1" || exit 1
# The live Q7Viewer.exe processes of this Wine prefix (other builds may run their own).
viewers() {
  local pid
  for pid in $(pgrep -f 'Q7Viewer\.exe'); do
    [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" = Z ] && continue
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=${WINEPREFIX:-}" && echo "$pid"
  done
}
[ -z "$(viewers)" ] || { echo "a viewer runs already: $(viewers)" >&2; exit 1; }
out=$(mktemp)
trap 'rm -f "$out"' EXIT
wine viewer_e2e_test.exe --gtest_also_run_disabled_tests --gtest_filter=ViewerHarness.DISABLED_HangsWithTheViewerOpen \
  >"$out" 2>&1 &
test_pid=$!
for _ in $(seq 1 600); do
  grep -q "viewer running" "$out" && break
  sleep 0.1
done
if ! grep -q "viewer running" "$out"; then
  echo "the viewer did not start:" >&2
  cat "$out" >&2
  kill -9 "$test_pid" 2>/dev/null
  exit 1
fi
[ -n "$(viewers)" ] || { echo "no Q7Viewer.exe process found while the test runs" >&2; exit 1; }
kill -9 "$test_pid"
wait "$test_pid" 2>/dev/null
for _ in $(seq 1 100); do
  [ -z "$(viewers)" ] && { echo "the viewer ended with its test"; exit 0; }
  sleep 0.1
done
echo "Q7Viewer.exe still runs 10 s after its test was killed: $(viewers)" >&2
kill -9 $(viewers) 2>/dev/null
exit 1
