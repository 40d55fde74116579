#pragma once
// The measuring keys, alike in the video window and in full screen: S the scale bar, C the
// crosshair, G the grid, M the measuring tool; Delete clears the measured lines, and so does
// Escape while there are any (in full screen Escape leaves only once none are left).
#include <windows.h>

#include <optional>

#include "state/app_state.h"

namespace display {

// The overlay a key message switches, if it is one of those keys (without Ctrl or Alt).
std::optional<MeasureSwitch> MeasureSwitchOfKey(const MSG& msg);

// Switches that overlay or clears the lines, stores the choice and has the picture drawn
// again; false for other messages, and for Escape when there was nothing to clear.
bool HandleMeasureKey(AppState& state, const MSG& msg);

}  // namespace display
