#pragma once
// Reads what the screen shows, as a user would see it, for end-to-end and window tests.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct ScreenPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> bgra;  // rows top first

  COLORREF At(int x, int y) const {
    const std::uint32_t p = bgra[static_cast<std::size_t>(y) * width + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  bool operator==(const ScreenPixels& other) const = default;
};

// The pixels of a rectangle of the screen (screen coordinates).
ScreenPixels CaptureScreen(const RECT& area);
// Writes the pixels as a 24-bit BMP file; false when the file cannot be written.
bool SaveAsBmp(const ScreenPixels& pixels, const std::wstring& path);
// Share of pixels (0..1) whose colour differs by more than `tolerance` in any channel.
double DifferingShare(const ScreenPixels& a, const ScreenPixels& b, int tolerance = 8);

}  // namespace testing_support
