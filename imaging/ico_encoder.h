#pragma once
// Windows icon file with one true-colour entry.
#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace q7::imaging {

constexpr int kIcoMaxSide = 256;

struct Size {
  int width;
  int height;
};

// The size a picture is stored at in an icon: unchanged when both sides fit, otherwise
// scaled down proportionally so that the longer side is 256.
Size IcoEntrySize(int width, int height);

// Area-weighted average (each source sample counts by how much of it a target sample covers).
Image ShrinkToSize(const Image& image, int width, int height);

// One 24-bit DIB entry (XOR bitmap bottom-up, all-opaque AND mask). A frame larger than
// 256 x 256 is shrunk with IcoEntrySize: the directory cannot describe anything bigger, and
// readers disagree about PNG entries that do not match their directory sizes, whereas a
// 256-pixel DIB entry opens in LoadImage, Explorer and ImageMagick alike.
std::vector<std::uint8_t> EncodeIco(const Image& image);

}  // namespace q7::imaging
