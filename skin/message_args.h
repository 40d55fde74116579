#pragma once
// Unpacking of mouse message arguments, shared by the skin windows' message switches.
#include <windows.h>

namespace skin {

// The signed point of a mouse message (client coordinates for client-area messages).
// (windowsx.h would do it, but its macros clash with member names such as SubclassWindow.)
inline POINT PointFromLParam(LPARAM lp) noexcept {
  return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

// The point of WM_NCLBUTTONDOWN, which is in screen coordinates.
inline LPARAM LParamFromPoint(POINT pt) noexcept { return MAKELPARAM(pt.x, pt.y); }

// Hands a press at `clientPt` to the system's move loop, as a press on a caption would.
inline void PostCaptionDrag(HWND hwnd, POINT clientPt) noexcept {
  POINT screen = clientPt;
  ::ClientToScreen(hwnd, &screen);
  ::PostMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, LParamFromPoint(screen));
}

}  // namespace skin
