#pragma once
// What the live-information views show besides the picture, and which of them are on. The
// camera side fills in what it knows (frames delivered and bad, the exposure and gain it is
// using, where the picture lies on the sensor); the renderer reads it; the keys and the
// panel's menu switch the views, and the choices persist per user.
#include <atomic>

#include "state/frame_rate_meter.h"
#include "state/shared_text.h"

struct LiveInfo {
  FrameRateMeter meter;

  std::atomic<int> exposureUs{0};  // what the camera is using now (auto exposure moves it)
  std::atomic<double> gainDb{0.0};
  // Where the delivered picture lies on the sensor, for the pointer's sensor position.
  std::atomic<int> aoiX{0};
  std::atomic<int> aoiY{0};
  std::atomic<bool> flipHorizontal{false};
  std::atomic<bool> flipVertical{false};
  // What the picture correction does to the frames ("avg 8", or why a correction is not
  // applied); empty: nothing. Set by whoever drives the correction.
  SharedText correction;

  std::atomic<bool> showInfoLine{false};
  std::atomic<bool> showHistogram{false};
  std::atomic<bool> showFocus{false};
  // Bumped whenever the focus aid is switched on: its peak starts again.
  std::atomic<unsigned> focusSession{0};
};

enum class LiveView { InfoLine, Histogram, Focus };

// Switches one view on or off and stores the choice; returns whether it is now on.
bool ToggleLiveView(LiveInfo& info, LiveView view);
bool IsLiveViewOn(const LiveInfo& info, LiveView view);
// The stored choices of the current user (all off when nothing is stored).
void LoadLiveViewChoices(LiveInfo& info);
