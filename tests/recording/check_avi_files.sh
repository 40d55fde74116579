#!/usr/bin/env bash
# Reads back every AVI file that manifest.txt in the folder lists, with tools that share no code
# with ours: ffprobe for the stream, its size and frame rate and every picture counted, and
# ffmpeg, which decodes each file and must report no error. Each line of the manifest: name,
# fewest and most pictures to decode, frames the header counts, width, height, frame rate.
# usage: check_avi_files.sh <folder>
set -euo pipefail
out=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -s "$out/manifest.txt" ] || { echo "FAIL: no manifest in $out"; exit 1; }
while read -r name fewest most counted width height rate; do
  file="$out/$name"
  probe=$(ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,width,height,nb_frames,nb_read_frames,r_frame_rate -of default=nw=1 "$file" 2>&1) ||
    { fail "$name: ffprobe: $probe"; continue; }
  echo "$name: $(echo "$probe" | tr '\n' ' ')"
  grep -qx "codec_name=mjpeg" <<<"$probe" || fail "$name: not MJPEG"
  grep -qx "width=$width" <<<"$probe" && grep -qx "height=$height" <<<"$probe" || fail "$name: not ${width}x$height"
  read_frames=$(sed -n 's/^nb_read_frames=//p' <<<"$probe")
  [ "$read_frames" -ge "$fewest" ] 2>/dev/null && [ "$read_frames" -le "$most" ] ||
    fail "$name: $read_frames pictures, expected $fewest to $most"
  grep -qx "nb_frames=$counted" <<<"$probe" || fail "$name: the header should count $counted frames"
  header_rate=$(sed -n 's/^r_frame_rate=//p' <<<"$probe")
  awk -v r="$header_rate" -v want="$rate" 'BEGIN { split(r, f, "/"); d = f[1] / f[2] - want; exit !(d < 0.001 && d > -0.001) }' ||
    fail "$name: frame rate $header_rate, expected $rate"
  errors=$(ffmpeg -nostdin -v error -i "$file" -f null - 2>&1) || fail "$name: ffmpeg failed"
  [ -z "$errors" ] || fail "$name: ffmpeg reports: $errors"
done <"$out/manifest.txt"

[ "$failures" -eq 0 ] && echo "every file read back as written"
exit $((failures > 0))
