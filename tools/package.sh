#!/usr/bin/env bash
# Builds the release for Windows users, dist/Q7Viewer-<version>-win64.zip: Q7Viewer.exe,
# Q7Resource.dll and README.txt (from docs/README-windows.txt). The version is the one in the
# program's version resource (resources/Q7Resource.rc), read back from the built program.
#   tools/package.sh [--no-build]   --no-build packs what the build folder already holds
# Q7_BUILD_DIR chooses the build folder (default build/), Q7_DIST_DIR where the zip goes
# (default dist/). Prints the zip's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${Q7_BUILD_DIR:-$root/build}"
dist="${Q7_DIST_DIR:-$root/dist}"
if [ "${1:-}" != --no-build ]; then
  "$root/tools/install-packages.sh"
  "$root/tools/build.sh" --target Q7Viewer Q7Resource >/dev/null
fi
for f in Q7Viewer.exe Q7Resource.dll; do
  [ -f "$build/bin/$f" ] || { echo "package.sh: $build/bin/$f is missing; build first" >&2; exit 1; }
done

# "FILEVERSION 1, 3, 0, 0" -> 1.3.0
version=$(x86_64-w64-mingw32-windres -i "$build/bin/Q7Viewer.exe" -O rc 2>/dev/null |
  sed -n 's/^ *FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\),.*/\1.\2.\3/p' | head -n 1)
[ -n "$version" ] || { echo "package.sh: Q7Viewer.exe has no readable version resource" >&2; exit 1; }

stage=$(mktemp -d "${TMPDIR:-/tmp}/q7-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
# The build keeps symbols from the static libraries; users need none of them.
x86_64-w64-mingw32-strip -o "$stage/Q7Viewer.exe" "$build/bin/Q7Viewer.exe"
cp "$build/bin/Q7Resource.dll" "$stage/Q7Resource.dll"
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/docs/README-windows.txt" >"$stage/README.txt"

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
zip_path="$dist/Q7Viewer-$version-win64.zip"
rm -f "$zip_path"
(cd "$stage" && zip -q -X "$zip_path" Q7Viewer.exe Q7Resource.dll README.txt)
echo "$zip_path"
