#pragma once
// The picture every encoder takes: 24-bit blue-green-red, rows top first, no row padding.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace q7::imaging {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // width * 3 bytes per row, height rows

  Image() = default;
  Image(int w, int h) : width(w), height(h), bgr(static_cast<std::size_t>(w) * h * 3) {}

  std::size_t RowBytes() const { return static_cast<std::size_t>(width) * 3; }
  const std::uint8_t* Row(int y) const { return bgr.data() + RowBytes() * y; }
  std::uint8_t* Row(int y) { return bgr.data() + RowBytes() * y; }
  bool IsValid() const {
    return width > 0 && height > 0 && bgr.size() == RowBytes() * static_cast<std::size_t>(height);
  }
};

// ITU-R BT.601 luma, rounded; used wherever a colour frame has to become one channel.
inline std::uint8_t Luminance(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  return static_cast<std::uint8_t>((299u * r + 587u * g + 114u * b + 500u) / 1000u);
}

}  // namespace q7::imaging
