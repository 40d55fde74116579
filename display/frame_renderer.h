#pragma once
// Drawing one frame: the picture scaled by the display scale and shifted by the pan offset,
// centred on black, with the scale caption and the translucent navigator, composed in a back
// buffer and copied to the target DC in one go: the whole view, or once the picture's place is
// settled only the picture and what is drawn over it and the black around it. The renderer
// keeps its back buffer and the navigator's surface between frames, making them anew only when
// the view's size changes.
#include <windows.h>

#include <optional>

#include "display/dib_surface.h"
#include "display/live_overlays.h"
#include "display/measure_overlays.h"
#include "display/present_area.h"
#include "display/render_geometry.h"
#include "display/scale_plan.h"
#include "framework/handles.h"
#include "state/frame_block.h"

namespace display {

struct DrawFrameOptions {
  // 0: our own scaler (area average below 100 %, the pixel under each centre above).
  // HALFTONE or COLORONCOLOR: the system's StretchDIBits instead, kept for comparison.
  int stretchMode = 0;
  // Drawn after the caption; null draws none.
  const LiveOverlays* overlays = nullptr;
  // Grid, crosshair and measured lines under the caption, the scale bar above the live views;
  // null draws none.
  const MeasureOverlays* measure = nullptr;
  // How the picture lies on the sensor, for the measured lines.
  SensorPlacement placement;
  // The camera is away: the picture is the last one, and says "No signal".
  bool noSignal = false;
};

class FrameRenderer {
 public:
  FrameRenderer();
  FrameRenderer(const FrameRenderer&) = delete;
  FrameRenderer& operator=(const FrameRenderer&) = delete;

  // Draws `block` (a frame its caller holds a lease on, or owns) into `targetDc` over a
  // view of `client`'s size (painting at (0, 0)).
  // Returns the geometry used, whose pan offset the caller writes back; nothing is drawn
  // and nullopt comes back for an empty view, an empty picture or a scale that is not
  // positive.
  std::optional<RenderGeometry> Draw(HDC targetDc, const RECT& client, const FrameBlock& block, double scalePercent,
                                     PanOffset pan, const DrawFrameOptions& options = {});
  // The next Draw copies the whole view: someone else drew on the target meanwhile.
  void PresentWholeViewNext() noexcept { presented_.reset(); }

 private:
  void ScalePicture(const FrameBlock& block, const RenderGeometry& g);
  // Returns where the navigator went.
  RECT DrawNavigator(int viewWidth, const RECT& viewRect);
  // Copies what changed since the last present from the back buffer to `targetDc`.
  void Present(HDC targetDc, PresentedFrame now);

  ScalePlan plan_;  // for the last frame's sizes and geometry
  bool planned_ = false;
  DibSurface back_;
  DibSurface navigator_;
  DibSurface overlayScratch_;
  std::optional<PresentedFrame> presented_;  // what the screen shows, as far as this renderer drew it
  fw::UniqueBrush black_;
  fw::UniquePen navigatorBorder_;
  fw::UniquePen navigatorView_;
};

// One frame with a renderer of its own, for a single draw (a repaint, a test).
std::optional<RenderGeometry> DrawFrame(HDC targetDc, const RECT& client, const FrameBlock& block, double scalePercent,
                                        PanOffset pan, const DrawFrameOptions& options = {});

}  // namespace display
