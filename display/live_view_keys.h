#pragma once
// The keys of the live-information views, alike in the video window and in full screen:
// I the information line, H the histogram, F the focus aid; A, the frame averaging; and R, which
// records.
#include <windows.h>

#include <optional>
#include <string>

#include "state/app_state.h"

namespace q7::imaging {
class FrameCorrector;
}

namespace display {

// A key pressed without Ctrl or Alt, and not the repeat of a key held down: what the picture
// views' letter keys answer to (a held R would start and stop recordings many times a second).
bool IsPlainKeyDown(const MSG& msg);

// The view a key message switches, if it is one of those keys (without Ctrl or Alt).
std::optional<LiveView> LiveViewOfKey(const MSG& msg);

// Switches that view, stores the choice and has the picture drawn again; false for other messages.
bool HandleLiveViewKey(AppState& state, const MSG& msg);

// The key A (without Ctrl or Alt) steps the frame averaging of `corrector`: off, 2, 4, ... 32,
// off. The new length, or nothing for another message or without a corrector.
std::optional<int> HandleAveragingKey(q7::imaging::FrameCorrector* corrector, const MSG& msg);
// What the picture says for a while after the key: "Averaging 8 frames", "Averaging off".
std::wstring AveragingHint(int frames);
inline constexpr DWORD kAveragingHintMs = 2000;
// R (without Ctrl or Alt): starts or stops a recording, which the panel does; both picture
// views hand the key to whoever set a handler for it.
bool IsRecordKey(const MSG& msg);

}  // namespace display
