#pragma once
#include <windows.h>

#include <optional>

namespace skin {

// The pixel size of a GDI bitmap, or nothing when the handle is not a live bitmap.
inline std::optional<SIZE> QueryBitmapSize(HBITMAP bitmap) noexcept {
  BITMAP info{};
  if (!bitmap || ::GetObjectType(bitmap) != OBJ_BITMAP) return std::nullopt;
  if (::GetObjectW(bitmap, sizeof info, &info) != static_cast<int>(sizeof info)) return std::nullopt;
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace skin
