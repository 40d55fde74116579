#pragma once
// Handing a drag to the system's move loop.
#include <windows.h>

#include "framework/message_args.h"

namespace skin {

// Hands a press at `clientPt` to the system's move loop, as a press on a caption would.
inline void PostCaptionDrag(HWND hwnd, POINT clientPt) noexcept {
  POINT screen = clientPt;
  ::ClientToScreen(hwnd, &screen);
  // WM_NCLBUTTONDOWN carries its point in screen coordinates.
  ::PostMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, fw::LParamFromPoint(screen));
}

}  // namespace skin
