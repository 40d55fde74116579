#pragma once
// Unpacking of mouse message arguments, shared by the skin windows' message switches.
#include <windows.h>
#include <windowsx.h>

namespace skin {

// The signed point of a mouse message (client coordinates for client-area messages).
inline POINT PointFromLParam(LPARAM lp) noexcept { return {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}; }

// The point of WM_NCLBUTTONDOWN, which is in screen coordinates.
inline LPARAM LParamFromPoint(POINT pt) noexcept { return MAKELPARAM(pt.x, pt.y); }

// Hands a press at `clientPt` to the system's move loop, as a press on a caption would.
inline void PostCaptionDrag(HWND hwnd, POINT clientPt) noexcept {
  POINT screen = clientPt;
  ::ClientToScreen(hwnd, &screen);
  ::PostMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, LParamFromPoint(screen));
}

}  // namespace skin
