#pragma once
// A 32-bit top-down DIB section selected into its own memory DC: a drawing surface whose
// pixels code can also write directly. It is kept between frames and made anew only when
// its size changes.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "framework/handles.h"

namespace display {

class DibSurface {
 public:
  DibSurface() = default;
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;

  // Makes the surface `width` x `height` unless it already is; false when GDI cannot.
  bool Fit(HDC compatibleDc, int width, int height);

  HDC Dc() const noexcept { return dc_.get(); }
  // Rows top first, Stride() bytes apart, blue-green-red-unused bytes per pixel. Call
  // GdiFlush before writing here after GDI drew into the surface.
  std::uint8_t* Bits() const noexcept { return bits_; }
  std::size_t Stride() const noexcept { return static_cast<std::size_t>(width_) * 4; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }

 private:
  // Declared before the DC, which holds it selected, so that the DC goes first.
  fw::UniqueBitmap bitmap_;
  fw::UniqueMemoryDc dc_;
  std::uint8_t* bits_ = nullptr;  // not owned: the DIB section's memory
  int width_ = 0;
  int height_ = 0;
};

}  // namespace display
