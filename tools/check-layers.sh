#!/usr/bin/env bash
# Fails when a folder of the program includes a header from its own layer or one above it:
# layers only look down, so the folders can have no include cycle.
set -euo pipefail
cd "$(dirname "$0")/.."
# Rank of each folder: a file may include headers of folders with a lower rank only.
declare -A rank=([framework]=0 [resources]=0 [camera/sdk]=0 [skin]=1 [imaging]=1 [state]=1
                 [camera]=2 [display]=2 [recording]=2 [panel]=3 [app]=4)
folder_of() { case $1 in camera/sdk/*) echo camera/sdk ;; *) echo "${1%%/*}" ;; esac; }
bad=0
while IFS= read -r file; do
  from=$(folder_of "$file")
  [ -n "${rank[$from]:-}" ] || continue
  while IFS= read -r header; do
    to=$(folder_of "$header")
    [ "$to" = "$from" ] || [ -z "${rank[$to]:-}" ] && continue
    if [ "${rank[$to]}" -ge "${rank[$from]}" ]; then
      echo "$file includes $header: $from may use only lower layers" >&2
      bad=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files '*.cpp' '*.h' | grep -v '^tests/\|^bench/')
exit $bad
