#pragma once
// The live-information views' figures for the render thread: the histogram and the focus
// figure worked out once per new frame (not again for redraws of the same frame), the
// information line from the frame rates, the camera's exposure and gain and the pixel under
// the pointer. One per render thread; it is used on that thread only.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "display/focus_measure.h"
#include "display/frame_histogram.h"
#include "display/live_overlays.h"
#include "display/render_geometry.h"
#include "state/app_state.h"

namespace display {

class LiveStatistics {
 public:
  explicit LiveStatistics(AppState& state) noexcept : state_(state) {}

  // The overlays for drawing `frame` (pinned by the caller for the whole draw) into a
  // viewWidth x viewHeight view at `scale` and `pan`; `pointer` is the pointer's view position
  // when it is over the view.
  LiveOverlays Prepare(const FrameExchange::Lease& frame, int viewWidth, int viewHeight, double scale, PanOffset pan,
                       std::optional<POINT> pointer);

 private:
  void MeasureFrame(const FrameBlock& block, const RenderGeometry& g);

  AppState& state_;  // not owned
  // Which frame was measured: its number and re-fit (a black re-fit keeps the number).
  std::uint64_t measuredFrame_ = 0;
  std::uint64_t measuredGeneration_ = 0;
  RenderGeometry measuredGeometry_{};
  std::optional<FrameHistogram> histogram_;
  FocusPeak focus_;
  bool focusMeasured_ = false;
  unsigned focusSession_ = 0;
};

}  // namespace display
