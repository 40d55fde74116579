#pragma once
// The arithmetic of drawing a frame: which part of the picture shows where, the pan offset
// pulled back into the picture, the navigator's view rectangle, the drag-panning update and
// the scale caption. Everything here is pure so it can be checked against known figures.
//
// Conventions shared by all of them: the scale s is the display scale in percent divided by
// 100; one pan unit moves the source rectangle by s image pixels; pan X counts from the
// picture's left edge and pan Y upward from its bottom edge, as the DIB stretch counts rows.
#include <windows.h>

#include <string>

namespace display {

inline constexpr int kNavigatorWidth = 92;
inline constexpr int kNavigatorHeight = 62;
inline constexpr int kNavigatorMargin = 3;  // from the top and right edges of the view
inline constexpr BYTE kNavigatorAlpha = 100;
inline constexpr COLORREF kCaptionColour = RGB(243, 205, 52);
inline constexpr COLORREF kNavigatorBorderColour = RGB(255, 255, 255);
inline constexpr COLORREF kNavigatorViewColour = RGB(255, 120, 0);

struct RenderGeometry {
  int sourceWidth = 0;   // sw
  int sourceHeight = 0;  // sh
  int panX = 0;          // pan offset after clamping; the renderer writes it back
  int panY = 0;
  int destX = 0;    // centring offset of the destination rectangle
  int destY = 0;    // zero or negative: the stretch counts rows upward
  int sourceX = 0;  // pan X * s, truncated
  int sourceY = 0;  // pan Y * s, truncated
  friend bool operator==(const RenderGeometry&, const RenderGeometry&) = default;
};

// Source and destination of the stretch for a W x H picture in a cw x ch view at
// `scalePercent`, with the pan offset pulled back so the source ends at the picture's edge
// and reset to 0 on an axis where the scaled picture is smaller than the view.
// The picture and view sizes must be positive, the scale at least 1 %.
RenderGeometry ComputeRenderGeometry(int imageWidth, int imageHeight, int viewWidth, int viewHeight,
                                     double scalePercent, int panX, int panY);

// The orange view rectangle inside the 92 x 62 navigator box, for a pan offset already
// clamped by ComputeRenderGeometry. Its vertical axis is flipped like the pan offset's.
RECT ComputeNavigatorRect(int imageWidth, int imageHeight, int viewWidth, int viewHeight, double scalePercent, int panX,
                          int panY);

struct PanOffset {
  int x = 0;
  int y = 0;
  friend bool operator==(const PanOffset&, const PanOffset&) = default;
};

// Pan offset while dragging: the picture follows the cursor on both axes, negative values
// become 0, and the upper end is clamped like the renderer does but truncating toward zero.
// The result can still be negative where the scaled picture is smaller than the view; the
// renderer then resets that axis. A picture of no size is only kept non-negative.
PanOffset ComputeDragPan(PanOffset startPan, POINT startCursor, POINT cursor, int imageWidth, int imageHeight,
                         int viewWidth, int viewHeight, double scalePercent);

// "Display Scale : 300%": the scale rounded to a whole percent.
std::wstring FormatScaleCaption(double scalePercent);

}  // namespace display
