#pragma once
// Reads a recording back with ffprobe and ffmpeg from a test running under Wine (probe_avi.sh,
// started through Wine's start /unix). The file must lie under Z:\tmp.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

// ffprobe's values for the video stream (codec_name, width, height, nb_frames,
// nb_read_frames) and decode_errors, ffmpeg's lines of errors; empty when nothing came back.
// With `firstPicture`, also ffmpeg's decoding of the first picture: packed rows of blue, green
// and red bytes.
std::map<std::string, std::string> ProbeAvi(const std::wstring& path,
                                            std::vector<std::uint8_t>* firstPicture = nullptr);

}  // namespace testing_support
