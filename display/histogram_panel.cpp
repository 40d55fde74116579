#include "display/histogram_panel.h"

#include <algorithm>

#include "display/statistics_text.h"

namespace display {

bool ClipWarning(const FrameHistogram& histogram) { return histogram.ClippedHighShare() > kClipWarningShare; }

std::uint32_t CurveScale(const FrameHistogram& h) {
  std::uint32_t scale = 1;
  for (const auto* bins : {&h.blue, &h.green, &h.red, &h.luminance})
    scale = std::max(scale, *std::max_element(bins->begin() + 1, bins->end() - 1));
  return scale;
}

HistogramCurve MakeCurve(const FrameHistogram::Bins& bins, std::uint32_t scale, int left, int top, COLORREF colour) {
  HistogramCurve curve;
  curve.colour = colour;
  const int bottom = top + kHistogramCurveHeight - 1;
  const std::uint64_t rows = kHistogramCurveHeight - 1, divisor = std::max<std::uint32_t>(scale, 1);
  for (int i = 0; i < 256; ++i) {
    const std::uint64_t height = std::min<std::uint64_t>((bins[i] * rows + divisor / 2) / divisor, rows);
    curve.points[i] = POINT{left + i, bottom - static_cast<LONG>(height)};
  }
  return curve;
}

HistogramPanel LayoutHistogramPanel(const FrameHistogram& h, int viewHeight) {
  HistogramPanel panel;
  const int left = kHistogramPanelMargin, bottom = viewHeight - kHistogramPanelMargin;
  panel.bounds = RECT{left, bottom - kHistogramPanelHeight, left + kHistogramPanelWidth, bottom};
  panel.warning = ClipWarning(h);
  panel.background = panel.warning ? kHistogramWarningColour : kHistogramPanelColour;

  const std::uint32_t scale = CurveScale(h);
  constexpr int pad = kHistogramPanelPadding;
  panel.curves = {
      MakeCurve(h.blue, scale, pad, pad, RGB(70, 130, 255)), MakeCurve(h.green, scale, pad, pad, RGB(60, 210, 60)),
      MakeCurve(h.red, scale, pad, pad, RGB(255, 80, 80)), MakeCurve(h.luminance, scale, pad, pad, RGB(235, 235, 235))};
  panel.textOrigin = POINT{pad, 2 * pad + kHistogramCurveHeight};
  panel.text = FormatClipping(h);
  return panel;
}

}  // namespace display
