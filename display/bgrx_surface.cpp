#include "display/bgrx_surface.h"

namespace display {

BgrxSurface::BgrxSurface(HDC compatibleDc, int width, int height) : width_(width), height_(height) {
  if (width <= 0 || height <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows top first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(::CreateDIBSection(compatibleDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  dc_.reset(::CreateCompatibleDC(compatibleDc));
  if (!bitmap_ || !bits || !dc_) return;
  bits_ = static_cast<std::uint8_t*>(bits);
  select_.emplace(dc_.get(), bitmap_.get());
}

}  // namespace display
