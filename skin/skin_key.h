#pragma once
#include <windows.h>

namespace skin {

// A skin pixel of exactly this colour is transparent: the frame's region leaves it out and
// the layered-window colour key lets the desktop show through it.
inline constexpr COLORREF kSkinKeyColor = RGB(205, 135, 135);

}  // namespace skin
