#pragma once
// Text drawn over the picture: in a colour over a black shadow `shadow` pixels down and right,
// so it reads on bright and dark parts of the picture alike.
#include <windows.h>

#include <string_view>

namespace display {

// Draws `text` with its top-left corner at (x, y) in the DC's font; returns where it went,
// shadow included.
RECT DrawShadowedText(HDC dc, int x, int y, std::wstring_view text, COLORREF colour, int shadow = 1);
// The size `text` takes in the DC's font, without the shadow.
SIZE TextSize(HDC dc, std::wstring_view text);

}  // namespace display
