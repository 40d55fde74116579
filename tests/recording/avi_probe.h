#pragma once
// Reads a recording back with ffprobe and ffmpeg from a test running under Wine (probe_avi.sh,
// started through Wine's start /unix). The file must lie under Z:\tmp.
#include <map>
#include <string>

namespace testing_support {

// ffprobe's values for the video stream (codec_name, width, height, nb_frames,
// nb_read_frames) and decode_errors, ffmpeg's lines of errors; empty when nothing came back.
std::map<std::string, std::string> ProbeAvi(const std::wstring& path);

}  // namespace testing_support
