#!/usr/bin/env bash
# The layer check fails on every way an include can reach a layer above its own (judged from
# what the compiler resolved, not from how the include is written) and on a folder without a
# layer; a tree that keeps to its layers passes.
set -u
check=$1
cxx=x86_64-w64-mingw32-g++-posix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A tiny tree of three layered folders; `file` holds `line`, compiled as the build would.
run_case() {
  local expect=$1 name=$2 file=$3 line=$4 root="$work/root"
  rm -rf "$root"
  mkdir -p "$root/state" "$root/display" "$root/panel" "$root/build" "$root/$(dirname "$file")"
  echo '#pragma once' >"$root/panel/x.h"
  echo '#pragma once' >"$root/panel/x.hpp"
  echo '#pragma once' >"$root/state/s.h"
  printf '%s\nint f() { return 0; }\n' "$line" >"$root/$file"
  if ! (cd "$root/build" && $cxx -std=c++20 -I"$root" -MMD -MF a.obj.d -c "$root/$file" -o a.obj); then
    echo "FAIL $name: the case does not compile"
    failures=$((failures + 1))
    return
  fi
  python3 "$check" --root "$root" --build "$root/build" >"$work/out" 2>&1
  local rc=$?
  if { [ "$expect" = fail ] && [ $rc -eq 0 ]; } || { [ "$expect" = pass ] && [ $rc -ne 0 ]; }; then
    echo "FAIL $name: expected the check to $expect, it said (exit $rc):"
    cat "$work/out"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

run_case pass "an include of a lower layer" display/a.cpp '#include "state/s.h"'
run_case fail "a relative path up and across" display/a.cpp '#include "../panel/x.h"'
run_case fail "angle brackets" display/a.cpp '#include <panel/x.h>'
run_case fail "a space after the hash" display/a.cpp '# include "panel/x.h"'
run_case fail "a detour through a lower folder" display/a.cpp '#include "state/../panel/x.h"'
run_case fail "a .hpp header" display/a.cpp '#include "panel/x.hpp"'
run_case fail "a folder without a layer" newfolder/a.cpp '#include "state/s.h"'
exit $((failures > 0))
