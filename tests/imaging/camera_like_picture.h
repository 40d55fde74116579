#pragma once
// A deterministic stand-in for a camera frame, shared by the tests and the benchmark:
// smooth lighting, sharp-edged coloured shapes, fine lines and sensor-like noise, so encoders
// meet both flat areas and detail.
#include <cstdint>

#include "imaging/image.h"

namespace q7::imaging::testing {

inline Image CameraLikePicture(int width, int height, std::uint32_t seed = 12345) {
  Image image(width, height);
  std::uint32_t state = seed;
  auto noise = [&state]() {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 24) % 17) - 8;
  };
  auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
  const int cx = width / 3, cy = height / 2, radius = (width < height ? width : height) / 4;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      int b = 40 + 150 * x / width, g = 60 + 120 * y / height, r = 200 - 120 * (x + y) / (width + height);
      const int dx = x - cx, dy = y - cy;
      if (dx * dx + dy * dy < radius * radius) {
        r = 230;
        g = 40;
        b = 30;
      }
      if (x > width * 3 / 5 && x < width * 4 / 5 && y > height / 5 && y < height * 3 / 5) {
        r = 20;
        g = 200;
        b = 240;
      }
      if (y % 16 == 3 || x % 23 == 0) {
        r = g = b = 250;
      }
      const int n = noise();
      row[x * 3] = clamp(b + n);
      row[x * 3 + 1] = clamp(g + n);
      row[x * 3 + 2] = clamp(r + n);
    }
  }
  return image;
}

}  // namespace q7::imaging::testing
