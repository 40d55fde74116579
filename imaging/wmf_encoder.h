#pragma once
// Windows metafile holding the picture as one StretchDIBits record.
#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace q7::imaging {

constexpr std::uint32_t kPlaceableMetafileKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderSize = 22;

// Records the picture through GDI's metafile functions and returns the file: the 22-byte
// placeable header (bounds in pixels at 96 units per inch, which readers such as libwmf need
// to know the picture's size) followed by the metafile bits. Empty on a GDI failure or a side
// beyond the header's 16-bit bounds.
std::vector<std::uint8_t> EncodeWmf(const Image& image);

}  // namespace q7::imaging
