#!/bin/sh
# Reads one AVI file with ffprobe (stream, size, frames the header counts, pictures decoded)
# and ffmpeg (lines of errors while decoding it all), for tests that run under Wine.
# usage: probe_avi.sh <file.avi> <report> [<first picture>]; the report appears whole or not at
# all, after the first picture (raw rows of blue, green, red) when that is asked for.
[ -z "${3:-}" ] || ffmpeg -nostdin -v error -y -i "$1" -frames:v 1 -f rawvideo -pix_fmt bgr24 "$3" 2>/dev/null
{
  ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,width,height,nb_frames,nb_read_frames -of default=nw=1 "$1" 2>&1
  echo "decode_errors=$(ffmpeg -nostdin -v error -i "$1" -f null - 2>&1 | wc -l)"
} >"$2.partial"
mv "$2.partial" "$2"
