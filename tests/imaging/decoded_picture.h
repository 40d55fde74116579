#pragma once
// Reading pictures back for the encoder tests: Windows' own decoders, and how close two
// pictures are.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "imaging/image.h"

namespace q7::imaging::testing {

// Decodes a file, or a file's bytes, with WIC into blue-green-red rows (COM must be
// initialised). An empty picture when WIC refuses it; the test fails then too.
Image DecodeWithWic(const std::wstring& path);
Image DecodeWithWic(std::span<const std::uint8_t> file);

// Peak signal-to-noise ratio in dB over all three channels of two pictures of one size.
double Psnr(const Image& a, const Image& b);

}  // namespace q7::imaging::testing
