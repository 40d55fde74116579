#pragma once
// Where the picture windows take their bitmaps and cursor from: the resource library the
// application loaded, or the framework's resource module before there is one.
#include <windows.h>

#include "app/app_state.h"
#include "framework/win_app.h"

namespace display {

inline HINSTANCE ViewResourceModule(const AppState& state) noexcept {
  return state.resourceLibrary ? static_cast<HINSTANCE>(state.resourceLibrary) : AfxGetResourceHandle();
}

// The open-hand cursor shown over both pictures, or null when the module lacks it.
HCURSOR LoadOpenHandCursor(const AppState& state) noexcept;

}  // namespace display
