#include "display/overlay_text.h"

namespace display {

RECT DrawShadowedText(HDC dc, int x, int y, std::wstring_view text, COLORREF colour, int shadow) {
  const int length = static_cast<int>(text.size());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::TextOutW(dc, x + shadow, y + shadow, text.data(), length);
  ::SetTextColor(dc, colour);
  ::TextOutW(dc, x, y, text.data(), length);
  const SIZE size = TextSize(dc, text);
  return {x, y, x + size.cx + shadow, y + size.cy + shadow};
}

SIZE TextSize(HDC dc, std::wstring_view text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace display
