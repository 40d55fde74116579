#include "display/dib_surface.h"

namespace display {

bool DibSurface::Fit(HDC compatibleDc, int width, int height) {
  if (dc_ && width == width_ && height == height_) return true;
  dc_.reset();
  bitmap_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
  if (width <= 0 || height <= 0) return false;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  fw::UniqueBitmap bitmap(::CreateDIBSection(compatibleDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  fw::UniqueMemoryDc dc(::CreateCompatibleDC(compatibleDc));
  if (!bitmap || !dc || !bits) return false;
  ::SelectObject(dc.get(), bitmap.get());  // stays selected for the surface's life
  bitmap_ = std::move(bitmap);
  dc_ = std::move(dc);
  bits_ = static_cast<std::uint8_t*>(bits);
  width_ = width;
  height_ = height;
  return true;
}

}  // namespace display
