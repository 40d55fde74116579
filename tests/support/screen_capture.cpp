#include "tests/support/screen_capture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "framework/handles.h"

namespace testing_support {

ScreenPixels CaptureScreen(const RECT& area) {
  ScreenPixels pixels;
  pixels.width = area.right - area.left;
  pixels.height = area.bottom - area.top;
  if (pixels.width <= 0 || pixels.height <= 0) return {};
  fw::ScopedWindowDc screen(nullptr);
  fw::UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  fw::UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  {
    fw::ScopedSelectObject select(memory.get(), bitmap.get());
    ::BitBlt(memory.get(), 0, 0, pixels.width, pixels.height, screen.get(), area.left, area.top, SRCCOPY);
  }
  ::GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  pixels.bgra.assign(p, p + static_cast<std::size_t>(pixels.width) * pixels.height);
  for (auto& v : pixels.bgra) v &= 0x00FFFFFF;
  return pixels;
}

bool SaveAsBmp(const ScreenPixels& pixels, const std::wstring& path) {
  const int stride = (pixels.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = pixels.width;
  info.biHeight = -pixels.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride * pixels.height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  std::vector<char> row(static_cast<std::size_t>(stride));
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t v = pixels.bgra[static_cast<std::size_t>(y) * pixels.width + x];
      row[x * 3] = static_cast<char>(v & 0xFF);
      row[x * 3 + 1] = static_cast<char>((v >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>((v >> 16) & 0xFF);
    }
    out.write(row.data(), stride);
  }
  return static_cast<bool>(out);
}

double DifferingShare(const ScreenPixels& a, const ScreenPixels& b, int tolerance) {
  if (a.width != b.width || a.height != b.height || a.bgra.empty()) return 1.0;
  std::size_t differing = 0;
  for (std::size_t i = 0; i < a.bgra.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const int ca = static_cast<int>((a.bgra[i] >> shift) & 0xFF);
      const int cb = static_cast<int>((b.bgra[i] >> shift) & 0xFF);
      if (std::abs(ca - cb) > tolerance) {
        ++differing;
        break;
      }
    }
  }
  return static_cast<double>(differing) / static_cast<double>(a.bgra.size());
}

}  // namespace testing_support
