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

// A grid that takes one pixel in every step x step square, for statistics that need not see
// every pixel. Band k (rows k * step to k * step + step - 1) gives one row and a first column,
// from which every step-th pixel is taken. Both move from band to band so that every position
// within the square comes up equally often: thin lines and fine gratings, horizontal, vertical
// or diagonal, are then sampled in their true share instead of always or never.
struct GridRow {
  int y;
  int firstColumn;
};
constexpr GridRow SampleGridRow(int band, int step) { return {band * step + band % step, band / step % step}; }

// Rec. 601 luma with integer weights (77 + 150 + 29 = 256), rounded: 0 to 255.
constexpr int Luminance(int red, int green, int blue) { return (77 * red + 150 * green + 29 * blue + 128) >> 8; }

}  // namespace display
