#pragma once
// Unpacking of message arguments, shared by the windows' message switches.
#include <windows.h>

namespace fw {

// The signed point of a mouse message (client coordinates for client-area messages).
// (windowsx.h would do it, but its macros clash with member names such as SubclassWindow.)
inline POINT PointFromLParam(LPARAM lp) noexcept {
  return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

// The other way round, for messages a window sends or posts on.
inline LPARAM LParamFromPoint(POINT pt) noexcept { return MAKELPARAM(pt.x, pt.y); }

}  // namespace fw
