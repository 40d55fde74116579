#include "tests/display/test_frames.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace display_test {

TestFrame::TestFrame(int width, int height, std::uint8_t padding)
    : width_(width),
      height_(height),
      stride_((3 * static_cast<std::size_t>(width) + 3) / 4 * 4),
      bytes_(stride_ * height, padding) {
  for (int y = 0; y < height; ++y) std::fill_n(Pixel(0, y), 3 * static_cast<std::size_t>(width), std::uint8_t{0});
}

void TestFrame::Set(int x, int y, int red, int green, int blue) {
  std::uint8_t* p = Pixel(x, y);
  p[0] = static_cast<std::uint8_t>(blue);
  p[1] = static_cast<std::uint8_t>(green);
  p[2] = static_cast<std::uint8_t>(red);
}

void TestFrame::Fill(int x0, int y0, int x1, int y1, int red, int green, int blue) {
  for (int y = std::max(y0, 0); y < std::min(y1, height_); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, width_); ++x) Set(x, y, red, green, blue);
}

void TestFrame::Scale(double factor) {
  for (int y = 0; y < height_; ++y) {
    std::uint8_t* p = Pixel(0, y);
    for (int i = 0; i < 3 * width_; ++i) p[i] = static_cast<std::uint8_t>(std::min(std::lround(p[i] * factor), 255L));
  }
}

TestFrame RandomFrame(int width, int height, std::mt19937& random) {
  TestFrame frame(width, height);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = frame.Pixel(0, y);
    for (int i = 0; i < 3 * width; ++i) p[i] = static_cast<std::uint8_t>(byte(random));
  }
  return frame;
}

TestFrame DetailedChart(int width, int height, int brightest) {
  TestFrame chart(width, height);
  const auto level = [&](int v) { return v * brightest / 255; };
  // Light paper with dark, text-like glyphs in 12 x 16 cells.
  chart.Fill(0, 0, width, height, level(210), level(205), level(200));
  std::mt19937 random(2024);
  std::uniform_int_distribution<int> coin(0, 99);
  for (int cy = 0; cy + 16 <= height / 2; cy += 16) {
    for (int cx = 0; cx + 12 <= width; cx += 12) {
      if (coin(random) < 15) continue;  // spaces between words
      const int ink = level(20 + coin(random) / 2);
      for (int stroke = 0; stroke < 4; ++stroke) {
        const int thick = 1 + coin(random) % 3;
        const int x = cx + 1 + coin(random) % 8, y = cy + 2 + coin(random) % 10;
        if (coin(random) < 50)
          chart.Fill(x, cy + 2, x + thick, cy + 14, ink, ink, ink);  // a stem
        else
          chart.Fill(cx + 1, y, cx + 10, y + thick, ink, ink, ink);  // a bar
      }
    }
  }
  // Checkerboards of 1, 2, 4 and 8 pixels in colours, side by side.
  const int boardTop = height / 2, boardBottom = height * 3 / 4;
  for (int b = 0; b < 4; ++b) {
    const int cell = 1 << b, x0 = width * b / 4, x1 = width * (b + 1) / 4;
    for (int y = boardTop; y < boardBottom; ++y)
      for (int x = x0; x < x1; ++x) {
        const bool dark = ((x / cell) + (y / cell)) % 2 != 0;
        chart.Set(x, y, level(dark ? 40 : 230), level(dark ? 60 : 200), level(dark ? 90 : 160));
      }
  }
  // A smooth grey ramp: brightness without detail.
  for (int y = boardBottom; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int v = level(x * 255 / std::max(width - 1, 1));
      chart.Set(x, y, v, v, v);
    }
  return chart;
}

TestFrame BoxBlur(const TestFrame& frame, int radius) {
  if (radius <= 0) return frame;
  const int w = frame.Width(), h = frame.Height(), n = 2 * radius + 1;
  TestFrame across(w, h), out(w, h);
  // Running sums along a line of `count` pixels `step` pixels apart, edges repeated.
  const auto blurLine = [&](auto at, auto put, int count) {
    for (int c = 0; c < 3; ++c) {
      int sum = 0;
      for (int i = -radius; i <= radius; ++i) sum += at(std::clamp(i, 0, count - 1))[c];
      for (int i = 0; i < count; ++i) {
        put(i)[c] = static_cast<std::uint8_t>((sum + n / 2) / n);
        sum += at(std::min(i + radius + 1, count - 1))[c] - at(std::max(i - radius, 0))[c];
      }
    }
  };
  for (int y = 0; y < h; ++y)
    blurLine([&](int x) { return frame.Pixel(x, y); }, [&](int x) { return across.Pixel(x, y); }, w);
  for (int x = 0; x < w; ++x)
    blurLine([&](int y) { return std::as_const(across).Pixel(x, y); }, [&](int y) { return out.Pixel(x, y); }, h);
  return out;
}

}  // namespace display_test
