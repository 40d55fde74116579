#pragma once
// A 32-bit top-down DIB section (BGRX rows, what the picture scaler writes) selected into a
// memory DC of its own: a back buffer to scale into, draw over with GDI and present with
// one BitBlt, kept while the view's size stays.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "framework/handles.h"

namespace display {

class BgrxSurface {
 public:
  // Compatible with `compatibleDc` (null: the screen). Check ok(): creation can fail.
  BgrxSurface(HDC compatibleDc, int width, int height);
  BgrxSurface(const BgrxSurface&) = delete;
  BgrxSurface& operator=(const BgrxSurface&) = delete;

  bool ok() const noexcept { return bits_ != nullptr && dc_; }
  HDC dc() const noexcept { return dc_.get(); }
  int width() const noexcept { return width_; }
  int height() const noexcept { return height_; }
  std::size_t stride() const noexcept { return 4 * static_cast<std::size_t>(width_); }
  // The pixels. GDI may batch its calls: GdiFlush before touching them after drawing with
  // or copying from dc().
  std::uint8_t* bits() const noexcept { return bits_; }

 private:
  int width_;
  int height_;
  fw::UniqueBitmap bitmap_;
  std::uint8_t* bits_ = nullptr;  // owned by bitmap_
  fw::UniqueMemoryDc dc_;
  std::optional<fw::ScopedSelectObject> select_;  // last: deselects before the DC goes
};

}  // namespace display
