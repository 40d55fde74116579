#!/usr/bin/env bash
# Writes every format with our encoders under Wine, then reads each file back with tools that
# share no code with ours: ImageMagick for the size of every file, OpenJPEG for an exact
# JPEG 2000 round trip, and PIL (compare_samples.py) for the pixels.
# usage: check_with_readers.sh <wine-run.sh> <imaging_write_samples.exe> <output folder>
set -euo pipefail
wine_run=$1 writer=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Odd sizes exercise row padding, partial code-blocks and uneven wavelet splits; 1 x 1 has no
# wavelet levels at all.
for size in 333x227 17x9 1x1; do
  width=${size%x*} height=${size#*x}
  dir="$out/$size"
  rm -rf "$dir" && mkdir -p "$dir"
  if ! "$wine_run" "$writer" "Z:${dir//\//\\}" "$width" "$height"; then
    fail "$size: the writer reported a failed save"
    continue
  fi
  for file in "$dir"/source.bmp "$dir"/sample.*; do
    expected="${width}x${height}"
    density=()
    case "$file" in
      *.ico) # shrunk to fit 256 x 256, aspect kept
        expected=$(awk -v w="$width" -v h="$height" 'BEGIN {
          if (w <= 256 && h <= 256) { print w "x" h; exit }
          l = (w > h) ? w : h; sw = int((w * 256 + int(l / 2)) / l); sh = int((h * 256 + int(l / 2)) / l)
          print (sw < 1 ? 1 : sw) "x" (sh < 1 ? 1 : sh) }') ;;
      *.wmf) density=(-density 96) ;;  # the placeable header says 96 units per inch
    esac
    actual=$(identify "${density[@]}" -format '%wx%h' "$file" 2>&1) || { fail "$file: identify: $actual"; continue; }
    [ "$actual" = "$expected" ] || fail "$file: identify says $actual, expected $expected"
  done
  for kind in jp2 jpc; do
    opj_decompress -i "$dir/sample.$kind" -o "$dir/decoded_$kind.ppm" >/dev/null 2>&1 \
      || fail "$size: opj_decompress refused sample.$kind"
  done
  convert "$dir/sample.pgx" "$dir/decoded_pgx.pgm" || fail "$size: ImageMagick refused sample.pgx"
  convert "$dir/sample.gif" "$dir/decoded_gif.png" || fail "$size: ImageMagick refused sample.gif"
  convert "$dir/sample.wbmp" "$dir/decoded_wbmp.png" || fail "$size: ImageMagick refused sample.wbmp"
  convert -density 96 "$dir/sample.wmf" "$dir/decoded_wmf.png" || fail "$size: ImageMagick refused sample.wmf"
  # PIL misreads one-pixel-wide PCX files (it takes the line padding for green).
  convert "$dir/sample.pcx" "$dir/decoded_pcx.png" || fail "$size: ImageMagick refused sample.pcx"
  /usr/bin/python3 "$here/compare_samples.py" "$dir" || fail "$size: pixels differ"
done

[ "$failures" -eq 0 ] && echo "all formats read back correctly"
exit $((failures > 0))
