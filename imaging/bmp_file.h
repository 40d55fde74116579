#pragma once
// 24-bit uncompressed BMP: the snapshot's intermediate file and the BMP output format.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "imaging/image.h"

namespace q7::imaging {

// Accepts BITMAPFILEHEADER + BITMAPINFOHEADER (or a later, longer header), 24 bpp, BI_RGB,
// top-down (negative height) or bottom-up, rows padded to 4 bytes. Anything else, or a file
// shorter than its header promises, gives nullopt.
std::optional<Image> ParseBmp(std::span<const std::uint8_t> file);

// Writes the classic bottom-up layout with biSizeImage filled in, which every reader accepts.
std::vector<std::uint8_t> EncodeBmp(const Image& image);

}  // namespace q7::imaging
