#!/usr/bin/env bash
# Writes AVI files with our writer under Wine (write_avi_samples), then has check_avi_files.sh
# read each back with ffprobe and ffmpeg.
# usage: check_avi_with_readers.sh <wine-run.sh> <write_avi_samples.exe> <output folder>
set -euo pipefail
wine_run=$1 writer=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out" && mkdir -p "$out"
written=0
"$wine_run" "$writer" "Z:${out//\//\\}" || { echo "FAIL: the writer reported a failure"; written=1; }
"$here/check_avi_files.sh" "$out" && exit $written
