#pragma once
#include <windows.h>

#include <optional>

#include "framework/handles.h"

namespace skin {

// The pixel size of a GDI bitmap, or nothing when the handle is not a live bitmap.
inline std::optional<SIZE> QueryBitmapSize(HBITMAP bitmap) noexcept {
  BITMAP info{};
  if (!bitmap || ::GetObjectType(bitmap) != OBJ_BITMAP) return std::nullopt;
  if (::GetObjectW(bitmap, sizeof info, &info) != static_cast<int>(sizeof info)) return std::nullopt;
  return SIZE{info.bmWidth, info.bmHeight};
}

// A picture handed to a skinned window: owned from then on, with its size.
class SizedBitmap {
 public:
  // Takes `bitmap`; handing the held one again keeps it. False when the bitmap cannot be
  // queried: it is deleted and nothing is held. Null just lets go of the held one.
  bool Reset(fw::UniqueBitmap bitmap) {
    if (bitmap && bitmap.get() == bitmap_.get()) {
      bitmap.release();  // the same handle: we already own it
      return true;
    }
    bitmap_ = std::move(bitmap);
    if (!bitmap_) return true;
    const auto size = QueryBitmapSize(bitmap_.get());
    if (!size) {
      bitmap_.reset();
      return false;
    }
    size_ = *size;
    return true;
  }
  HBITMAP get() const noexcept { return bitmap_.get(); }
  explicit operator bool() const noexcept { return static_cast<bool>(bitmap_); }
  SIZE Size() const noexcept { return size_; }

 private:
  fw::UniqueBitmap bitmap_;
  SIZE size_{};
};

}  // namespace skin
