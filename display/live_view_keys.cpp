#include "display/live_view_keys.h"

namespace display {

std::optional<LiveView> LiveViewOfKey(UINT message, WPARAM key) {
  if (message != WM_KEYDOWN || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return std::nullopt;
  switch (key) {
    case 'I': return LiveView::InfoLine;
    case 'H': return LiveView::Histogram;
    case 'F': return LiveView::Focus;
    default: return std::nullopt;
  }
}

bool IsRecordKey(const MSG& msg) {
  return msg.message == WM_KEYDOWN && msg.wParam == 'R' && ::GetKeyState(VK_CONTROL) >= 0 &&
         ::GetKeyState(VK_MENU) >= 0;
}

bool HandleLiveViewKey(AppState& state, const MSG& msg) {
  const auto view = LiveViewOfKey(msg.message, msg.wParam);
  if (!view) return false;
  ToggleLiveView(state.live, *view);
  state.redraw.Notify();
  return true;
}

}  // namespace display
