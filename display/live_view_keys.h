#pragma once
// The keys of the live-information views, alike in the video window and in full screen:
// I the information line, H the histogram, F the focus aid; and R, which records.
#include <windows.h>

#include <optional>

#include "state/app_state.h"

namespace display {

// The view a key message switches, if it is one of those keys (without Ctrl or Alt).
std::optional<LiveView> LiveViewOfKey(UINT message, WPARAM key);

// Switches that view, stores the choice and has the picture drawn again; false for other messages.
bool HandleLiveViewKey(AppState& state, const MSG& msg);

// R (without Ctrl or Alt): starts or stops a recording, which the panel does; both picture
// views hand the key to whoever set a handler for it.
bool IsRecordKey(const MSG& msg);

}  // namespace display
