#include "display/live_view_keys.h"

#include "imaging/frame_corrector.h"

namespace display {

bool IsPlainKeyDown(const MSG& msg) {
  constexpr LPARAM kWasDown = 0x40000000;  // bit 30: the key was down before this message
  return msg.message == WM_KEYDOWN && (msg.lParam & kWasDown) == 0 && ::GetKeyState(VK_CONTROL) >= 0 &&
         ::GetKeyState(VK_MENU) >= 0;
}

std::optional<LiveView> LiveViewOfKey(const MSG& msg) {
  if (!IsPlainKeyDown(msg)) return std::nullopt;
  switch (msg.wParam) {
    case 'I': return LiveView::InfoLine;
    case 'H': return LiveView::Histogram;
    case 'F': return LiveView::Focus;
    default: return std::nullopt;
  }
}

bool IsRecordKey(const MSG& msg) { return IsPlainKeyDown(msg) && msg.wParam == 'R'; }

bool HandleLiveViewKey(AppState& state, const MSG& msg) {
  const auto view = LiveViewOfKey(msg);
  if (!view) return false;
  ToggleLiveView(state.live, *view);
  state.redraw.Notify();
  return true;
}

std::optional<int> HandleAveragingKey(q7::imaging::FrameCorrector* corrector, const MSG& msg) {
  if (!corrector || !IsPlainKeyDown(msg) || msg.wParam != 'A') return std::nullopt;
  return corrector->StepAveraging();
}

std::wstring AveragingHint(int frames) {
  return frames >= 2 ? L"Averaging " + std::to_wstring(frames) + L" frames" : L"Averaging off";
}

}  // namespace display
