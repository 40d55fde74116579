#!/usr/bin/env bash
# Encodes the benchmark's 2592 x 1944 frame with our encoders (under Wine), ImageMagick's
# convert and OpenJPEG's opj_compress, and prints one table of best times and file sizes.
# usage: bench/encoders_vs_tools.sh [runs]      (build folder: $Q7_BUILD_DIR, default build/;
#        Q7_NO_BUILD=1 uses the encoders_bench.exe already built there)
# Our times are in-memory encodes; the tools' times are whole runs (start-up, reading the
# BMP, writing the file), so the "read only" row gives ImageMagick's fixed cost.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${Q7_BUILD_DIR:-$root/build}"
runs="${1:-3}"
[ "${Q7_NO_BUILD:-}" = 1 ] || "$root/tools/build.sh" --target encoders_bench >/dev/null

. "$root/tools/wine-session.sh"
work=$(mktemp -d)
trap 'q7_stop_session; rm -rf "$work"' EXIT
q7_start_xvfb 1024x768
q7_ensure_prefix "$build/wineprefix"
q7_start_wineserver
# Wine's console output ends lines with CR LF; the CR would end up inside the last column.
wine "$build/bin/encoders_bench.exe" --tsv --runs "$runs" --source "Z:${work//\//\\}\\frame.bmp" | tr -d '\r' >"$work/ours.tsv"
convert "$work/frame.bmp" "$work/frame.ppm"

# best_ms <command...>: the fastest of $runs runs, in milliseconds; "-" if the command fails.
best_ms() {
  local best="" start end ms
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "-"; return; }
    end=$(date +%s%N)
    ms=$(((end - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}
size_of() { if [ -s "$1" ]; then stat -c %s "$1"; else echo "-"; fi; }

declare -A magick=([BMP]=bmp [GIF]=gif [JPEG]=jpg [PNG]=png [ICO]=ico [TIFF]=tif [TGA]=tga [PCX]=pcx
                   [WBMP]=wbmp [JP2]=jp2 [JPC]=jpc [PGX]=pgx [PNM]=ppm [RAS]=ras)

printf '2592 x 1944 frame, best of %s runs\n\n' "$runs"
printf '| Format | Ours (ms) | Ours (bytes) | convert (ms) | convert (bytes) | opj_compress (ms) | opj_compress (bytes) |\n'
printf '|---|---:|---:|---:|---:|---:|---:|\n'
printf '| read only | | | %s | | | |\n' "$(best_ms convert "$work/frame.bmp" null:)"
while IFS=$'\t' read -r name ms bytes; do
  c_ms="-" c_bytes="-" o_ms="" o_bytes=""
  if [ -n "${magick[$name]:-}" ]; then
    out="$work/magick.${magick[$name]}"
    rm -f "$out"
    c_ms=$(best_ms convert "$work/frame.bmp" "$out")
    c_bytes=$(size_of "$out")
  fi
  case "$name" in
    JP2 | JPC)
      out="$work/opj.$([ "$name" = JP2 ] && echo jp2 || echo j2k)"  # default settings: lossless 5/3
      o_ms=$(best_ms opj_compress -i "$work/frame.ppm" -o "$out")
      o_bytes=$(size_of "$out") ;;
  esac
  printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$name" "$ms" "$bytes" "$c_ms" "$c_bytes" "$o_ms" "$o_bytes"
done <"$work/ours.tsv"
