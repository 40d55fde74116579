#pragma once
// A borrowed view of a 24-bit picture as the frame buffer holds it: blue, green, red bytes,
// rows top first, `stride` bytes apart (rows are padded to a multiple of 4 bytes).
#include <cstddef>
#include <cstdint>

namespace display {

struct BgrPicture {
  const std::uint8_t* pixels = nullptr;  // not owned
  int width = 0;
  int height = 0;
  std::size_t stride = 0;

  bool Empty() const {
    return pixels == nullptr || width <= 0 || height <= 0 || stride < 3 * static_cast<std::size_t>(width);
  }
  const std::uint8_t* Row(int y) const { return pixels + static_cast<std::size_t>(y) * stride; }
};

// Rec. 601 luma with integer weights (77 + 150 + 29 = 256), rounded: 0 to 255.
constexpr int Luminance(int red, int green, int blue) { return (77 * red + 150 * green + 29 * blue + 128) >> 8; }

}  // namespace display
