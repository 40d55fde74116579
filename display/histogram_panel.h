#pragma once
// The histogram panel's layout, so that drawing it is only filling, polylines and one text:
// a translucent box in the bottom-left corner of the view with the blue, green, red and
// luminance curves of the frame and the clipped shares under them. The box turns red when
// more than 1 % of the pixels clip at 255.
#include <windows.h>

#include <array>
#include <string>

#include "display/frame_histogram.h"

namespace display {

inline constexpr double kClipWarningShare = 0.01;
inline constexpr int kHistogramPanelMargin = 3;  // from the left and bottom edges of the view
inline constexpr int kHistogramPanelPadding = 4;
inline constexpr int kHistogramCurveWidth = 256;  // one column per bin
inline constexpr int kHistogramCurveHeight = 80;
inline constexpr int kHistogramTextHeight = 16;
inline constexpr int kHistogramPanelWidth = kHistogramCurveWidth + 2 * kHistogramPanelPadding;
inline constexpr int kHistogramPanelHeight = kHistogramCurveHeight + kHistogramTextHeight + 3 * kHistogramPanelPadding;
inline constexpr BYTE kHistogramPanelAlpha = 160;
inline constexpr COLORREF kHistogramPanelColour = RGB(0, 0, 0);
inline constexpr COLORREF kHistogramWarningColour = RGB(190, 0, 0);
inline constexpr COLORREF kHistogramTextColour = RGB(255, 255, 255);

struct HistogramCurve {
  COLORREF colour = 0;
  std::array<POINT, 256> points{};  // bin i at x = i, in panel coordinates
};

struct HistogramPanel {
  RECT bounds{};  // in view coordinates; everything else is relative to its top-left corner
  COLORREF background = kHistogramPanelColour;
  bool warning = false;                    // more than 1 % clip at 255
  std::array<HistogramCurve, 4> curves{};  // blue, green, red, luminance: drawn in this order
  POINT textOrigin{};
  std::wstring text;  // the clipped shares
};

// Whether the share clipping at 255 calls for the red panel.
bool ClipWarning(const FrameHistogram& histogram);

// The common height scale of the four curves: their highest bin, leaving out the two end
// bins (clipped pixels are shown as figures and would otherwise flatten the curves), at least 1.
std::uint32_t CurveScale(const FrameHistogram& histogram);

// One curve through `bins` in the curve area at (left, top), bins of `scale` or more on the top line.
HistogramCurve MakeCurve(const FrameHistogram::Bins& bins, std::uint32_t scale, int left, int top, COLORREF colour);

// The panel for a view `viewHeight` pixels high.
HistogramPanel LayoutHistogramPanel(const FrameHistogram& histogram, int viewHeight);

}  // namespace display
