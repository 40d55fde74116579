#pragma once
// The state the subsystems share: one instance, owned by the application object and handed
// by reference to the windows, the camera session and the threads that need it. It holds
// values only, never a window or the camera: those are handed to whoever needs them.
// Values read by other threads without a lock are atomics, so each read sees a whole value.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "state/frame_exchange.h"
#include "state/live_info.h"
#include "state/measuring.h"
#include "state/redraw_signal.h"

struct AppState {
  HMODULE resourceLibrary = nullptr;        // not owned: the application object loads and frees it
  FrameExchange frames;                     // the frame buffer: the newest frame, and those readers still hold
  std::atomic<double> displayScale{100.0};  // percent
  std::atomic<int> panX{0};
  std::atomic<int> panY{0};
  std::atomic<int> frameReady{0};  // result of the hand-off thread's last grab
  RedrawSignal redraw;             // set by whatever changes what the picture views show
  // The camera went away: the picture views keep the last picture and say "No signal".
  std::atomic<bool> noSignal{false};
  std::atomic<std::uint32_t> reconnects{0};  // times a lost camera came back and was opened again
  int monitorCount = 1;
  int virtualScreenWidth = 0;
  int virtualScreenHeight = 0;
  std::atomic<int> docked{0};  // the video window sits against the panel
  LiveInfo live;
  Measuring measuring;  // the measuring overlays, the lines measured and the calibrations
};
