#!/usr/bin/env bash
# Fails, listing them, when tracked C++ files differ from what .clang-format makes of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The tracked files; in an exported tree without git, every C++ file outside build folders.
source_files() {
  if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    git ls-files '*.cpp' '*.h'
  else
    find . \( -path './build*' -o -path ./dist -o -path ./.git \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print |
      sed 's|^\./||' | sort
  fi
}
bad=()
while IFS= read -r f; do
  clang-format --style=file "$f" | cmp -s - "$f" || bad+=("$f")
done < <(source_files)
if [ ${#bad[@]} -gt 0 ]; then
  echo "Not formatted (run: clang-format -i FILE):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
