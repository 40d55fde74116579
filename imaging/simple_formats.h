#pragma once
// Uncompressed and run-length formats written directly from the picture.
// Each returns the whole file, or an empty vector when the format cannot hold the picture.
#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace q7::imaging {

// Truevision TGA, type 2 (uncompressed true colour), 24 bpp, bottom-left origin, TGA 2.0 footer.
std::vector<std::uint8_t> EncodeTga(const Image& image);

// ZSoft PCX version 5, 8 bits x 3 planes, RLE per plane line.
std::vector<std::uint8_t> EncodePcx(const Image& image);

// Wireless bitmap type 0: 1 bit per pixel, white where luminance >= 128.
std::vector<std::uint8_t> EncodeWbmp(const Image& image);

// Binary PPM (P6), maxval 255.
std::vector<std::uint8_t> EncodePnm(const Image& image);

// Sun raster, RT_STANDARD, 24 bpp (blue-green-red samples), rows padded to 16 bits.
std::vector<std::uint8_t> EncodeSunRaster(const Image& image);

// PGX holds one component, so a colour picture is written as its luminance: "PG ML + 8 w h".
std::vector<std::uint8_t> EncodePgx(const Image& image);

}  // namespace q7::imaging
