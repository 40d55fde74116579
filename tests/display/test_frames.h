#pragma once
// Frames for the statistics tests: a padded 24-bit BGR buffer laid out like the frame buffer,
// random fills, a detailed test chart, and the box blur that takes its detail away.
#include <cstdint>
#include <random>
#include <vector>

#include "display/bgr_picture.h"

namespace display_test {

class TestFrame {
 public:
  // Rows padded to a multiple of 4 bytes; the padding holds `padding`, which no statistic may count.
  TestFrame(int width, int height, std::uint8_t padding = 255);

  display::BgrPicture Picture() const { return {bytes_.data(), width_, height_, stride_}; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  std::uint8_t* Pixel(int x, int y) { return bytes_.data() + y * stride_ + 3 * static_cast<std::size_t>(x); }
  const std::uint8_t* Pixel(int x, int y) const {
    return bytes_.data() + y * stride_ + 3 * static_cast<std::size_t>(x);
  }
  void Set(int x, int y, int red, int green, int blue);
  void Fill(int x0, int y0, int x1, int y1, int red, int green, int blue);
  // Every channel of every pixel times `factor`, rounded and clamped to 255.
  void Scale(double factor);

 private:
  int width_, height_;
  std::size_t stride_;
  std::vector<std::uint8_t> bytes_;
};

// Every channel uniformly random.
TestFrame RandomFrame(int width, int height, std::mt19937& random);

// Text-like strokes one to three pixels wide, checkerboards of 1 to 8 pixels and a grey ramp,
// every value at most `brightest`.
TestFrame DetailedChart(int width, int height, int brightest = 255);

// The mean over a (2 radius + 1)-pixel square around each pixel, edges repeated; radius 0
// leaves the frame as it is.
TestFrame BoxBlur(const TestFrame& frame, int radius);

}  // namespace display_test
