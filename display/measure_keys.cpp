#include "display/measure_keys.h"

#include "display/live_view_keys.h"

namespace display {

std::optional<MeasureSwitch> MeasureSwitchOfKey(const MSG& msg) {
  if (!IsPlainKeyDown(msg)) return std::nullopt;
  switch (msg.wParam) {
    case 'S': return MeasureSwitch::ScaleBar;
    case 'C': return MeasureSwitch::Crosshair;
    case 'G': return MeasureSwitch::Grid;
    case 'M': return MeasureSwitch::MeasuringTool;
    default: return std::nullopt;
  }
}

bool HandleMeasureKey(AppState& state, const MSG& msg) {
  if (const auto which = MeasureSwitchOfKey(msg)) {
    ToggleMeasureSwitch(state.measuring, *which);
    state.redraw.Notify();
    return true;
  }
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_DELETE && msg.wParam != VK_ESCAPE)) return false;
  const bool cleared = state.measuring.measurements.Clear();
  if (cleared) state.redraw.Notify();
  // Delete is ours either way; Escape goes on to close full screen when there was nothing.
  return cleared || msg.wParam == VK_DELETE;
}

}  // namespace display
