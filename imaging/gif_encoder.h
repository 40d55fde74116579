#pragma once
// GIF89a encoder: one image, a global colour table chosen for the picture, our own LZW.
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/image.h"

namespace q7::imaging {

struct GifOptions {
  bool dither = false;  // Floyd-Steinberg; off, as it costs time and bytes on noisy frames
};

// The whole file, or an empty vector when a side exceeds 65535.
std::vector<std::uint8_t> EncodeGif(const Image& image, const GifOptions& options = {});

namespace gif {

// GIF's variable-width LZW over symbols below 2^minCodeSize (2 to 8): a clear code first and
// whenever the dictionary fills, codes of minCodeSize + 1 up to 12 bits packed from the least
// significant bit, the end code last. Returns the packed bytes, not yet cut into sub-blocks.
std::vector<std::uint8_t> LzwEncode(std::span<const std::uint8_t> symbols, int minCodeSize);

}  // namespace gif
}  // namespace q7::imaging
