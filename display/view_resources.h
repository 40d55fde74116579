#pragma once
// Where the picture windows take their bitmaps and cursor from: the resource library the
// application loaded, or the framework's resource module before there is one.
#include <windows.h>

#include "framework/win_app.h"
#include "state/app_state.h"

namespace display {

inline HINSTANCE ViewResourceModule(const AppState& state) noexcept {
  return state.resourceLibrary ? static_cast<HINSTANCE>(state.resourceLibrary) : AfxGetResourceHandle();
}

// Shows the open hand over a picture's client area (WM_SETCURSOR), the cross while the
// measuring tool is on; FALSE where the hit-test code is another or the module lacks the
// cursor, so default processing sets it.
BOOL ShowOpenHandCursor(const AppState& state, UINT hitTest) noexcept;

}  // namespace display
