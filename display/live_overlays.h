#pragma once
// What the live-information views add to a frame: the information line along the bottom,
// the histogram panel in the bottom-left corner and the focus figure with its bar under the
// caption. The render thread works them out once per new frame; the frame renderer draws
// them onto the back buffer after the caption.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "display/dib_surface.h"
#include "display/histogram_panel.h"

namespace display {

inline constexpr int kInfoLineHeight = 18;
inline constexpr BYTE kInfoLineAlpha = 150;
inline constexpr int kFocusBarWidth = 160;
inline constexpr int kFocusTop = 20;  // under the scale caption
inline constexpr COLORREF kFocusBarColour = RGB(80, 220, 80);
inline constexpr COLORREF kHintColour = RGB(255, 230, 120);

struct FocusReadout {
  std::wstring text;
  double barFraction = 0;  // the figure as a share of the peak seen, 0 to 1
};

struct LiveOverlays {
  std::wstring infoLine;  // empty: no information line
  std::optional<HistogramPanel> histogram;
  std::optional<FocusReadout> focus;
  std::wstring hint;  // a short hint in the middle of the view; empty: none
  bool Empty() const { return infoLine.empty() && !histogram && !focus && hint.empty(); }
};

// The bottom edge the histogram panel sits on: above the information line when that shows.
int HistogramFloor(int viewHeight, bool infoLineShown);

// Draws `overlays` onto `dc` (a view of `viewWidth` x `viewHeight`) and adds where each went
// to `drawn`; `scratch` is a surface the translucent boxes are composed in, kept by the
// caller between frames. Returns the top of the information line (the view's height without
// one), above which the scale bar goes.
int DrawLiveOverlays(HDC dc, int viewWidth, int viewHeight, const LiveOverlays& overlays, DibSurface& scratch,
                     std::vector<RECT>& drawn);

}  // namespace display
