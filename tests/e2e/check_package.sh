#!/usr/bin/env bash
# Checks the Windows release zip: tools/package.sh builds it from this build, it holds exactly the
# program, its resource library and README.txt, the program imports only DLLs that every Windows
# has (the resource library none), and unpacked into an empty folder with no build beside it the
# program starts and shows live frames.
# Usage: check_package.sh <source dir> <build dir>; runs in the test run's Wine session.
set -euo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/q7-package-check.XXXXXX")
trap 'rm -rf "$work"' EXIT

Q7_BUILD_DIR=$build_dir Q7_DIST_DIR=$work/dist "$source_dir/tools/package.sh" --no-build >/dev/null
zips=("$work"/dist/Q7Viewer-*-win64.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || { echo "no single dist/Q7Viewer-<version>-win64.zip" >&2; exit 1; }
mkdir "$work/unpacked"
unzip -q "${zips[0]}" -d "$work/unpacked"

contents=$(cd "$work/unpacked" && find . -mindepth 1 | sed 's|^\./||' | sort | tr '\n' ' ')
if [ "$contents" != "Q7Resource.dll Q7Viewer.exe README.txt " ]; then
  echo "the zip holds: $contents" >&2
  exit 1
fi

# DLLs of Windows itself; anything else (a MinGW runtime DLL, say) would be missing on a user's PC.
system_dlls=(advapi32 comctl32 comdlg32 gdi32 kernel32 msimg32 msvcrt ole32 oleaut32 shell32 shlwapi user32
  uxtheme version windowscodecs)
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'; }
for dll in $(imports "$work/unpacked/Q7Viewer.exe"); do
  [[ " ${system_dlls[*]} " == *" ${dll%.dll} "* ]] || {
    echo "Q7Viewer.exe imports $dll, which is not part of Windows" >&2
    exit 1
  }
done
[ -z "$(imports "$work/unpacked/Q7Resource.dll")" ] || { echo "Q7Resource.dll imports DLLs" >&2; exit 1; }

cd "$build_dir/bin"
Q7_PACKAGE_DIR=$("$build_dir/wine-run.sh" winepath -w "$work/unpacked" | tr -d '\r') \
  "$build_dir/wine-run.sh" ./packaged_viewer_test.exe
