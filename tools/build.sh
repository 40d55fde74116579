#!/usr/bin/env bash
# Configures and builds Q7Viewer.exe, Q7Resource.dll, the tests and the benchmarks into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${Q7_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE="${Q7_BUILD_TYPE:-Release}" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
