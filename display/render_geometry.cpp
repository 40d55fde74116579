#include "display/render_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace display {
namespace {

// Values here stay far inside int; the clamp only keeps a bad input from being undefined.
int ToInt(double value) {
  if (!(value == value)) return 0;  // NaN
  constexpr double lo = std::numeric_limits<int>::min();
  constexpr double hi = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(value, lo, hi));
}

int FloorToInt(double value) { return ToInt(std::floor(value)); }
int TruncToInt(double value) { return ToInt(std::trunc(value)); }

// How many picture pixels along one axis a view of `viewSize` pixels shows at scale s.
// The product is formed in integers first, then divided by s times the picture size.
double SourceSpan(int imageSize, int viewSize, double s) {
  const std::int64_t product = static_cast<std::int64_t>(imageSize) * viewSize;
  return static_cast<double>(product) / (s * imageSize);
}

}  // namespace

RenderGeometry ComputeRenderGeometry(int imageWidth, int imageHeight, int viewWidth, int viewHeight,
                                     double scalePercent, int panX, int panY) {
  const double s = scalePercent * 0.01;
  RenderGeometry g;
  g.sourceWidth = FloorToInt(SourceSpan(imageWidth, viewWidth, s));
  g.sourceHeight = FloorToInt(SourceSpan(imageHeight, viewHeight, s));
  // A negative offset would show nothing left of or below the picture; it only arises
  // when the scale changed since the drag that stored it.
  g.panX = std::max(panX, 0);
  g.panY = std::max(panY, 0);

  if (imageWidth < s * g.panX + g.sourceWidth) g.panX = FloorToInt((imageWidth - g.sourceWidth) / s);
  if (imageHeight < s * g.panY + g.sourceHeight) g.panY = FloorToInt((imageHeight - g.sourceHeight) / s);

  if (g.sourceWidth > imageWidth) {
    const std::int64_t k = static_cast<std::int64_t>(g.sourceWidth - imageWidth) * viewWidth / g.sourceWidth;
    g.destX = TruncToInt(static_cast<double>(k) * 0.5);
    g.panX = 0;
  }
  if (g.sourceHeight > imageHeight) {
    const std::int64_t k = static_cast<std::int64_t>(g.sourceHeight - imageHeight) * viewHeight / g.sourceHeight;
    g.destY = TruncToInt(static_cast<double>(k) * -0.5);
    g.panY = 0;
  }
  g.sourceX = TruncToInt(g.panX * s);
  g.sourceY = TruncToInt(g.panY * s);
  return g;
}

RECT ComputeNavigatorRect(int imageWidth, int imageHeight, int viewWidth, int viewHeight, double scalePercent, int panX,
                          int panY) {
  constexpr int innerWidth = kNavigatorWidth - 1;    // 91
  constexpr int innerHeight = kNavigatorHeight - 1;  // 61
  const double s = scalePercent * 0.01;

  int vw = TruncToInt(static_cast<double>(viewWidth) * innerWidth / (imageWidth * s));
  if (vw > innerWidth) vw = innerWidth - 1;  // exactly 91 stays 91
  int vh = TruncToInt(static_cast<double>(viewHeight) * innerHeight / (imageHeight * s));
  if (vh > innerHeight) vh = innerHeight - 1;

  const int nx = FloorToInt(s * static_cast<double>(static_cast<std::int64_t>(panX) * innerWidth / imageWidth));
  const int ny = FloorToInt(s * static_cast<double>(static_cast<std::int64_t>(panY) * innerHeight / imageHeight));
  return RECT{nx + 1, innerHeight - ny - vh, nx + vw + 1, innerHeight - ny};
}

PanOffset ComputeDragPan(PanOffset startPan, POINT startCursor, POINT cursor, int imageWidth, int imageHeight,
                         int viewWidth, int viewHeight, double scalePercent) {
  PanOffset pan{startPan.x + startCursor.x - cursor.x, startPan.y + cursor.y - startCursor.y};
  pan.x = std::max(pan.x, 0);
  pan.y = std::max(pan.y, 0);
  if (imageWidth <= 0 || imageHeight <= 0 || scalePercent <= 0) return pan;

  const double s = scalePercent * 0.01;
  const int sw = TruncToInt(SourceSpan(imageWidth, viewWidth, s));
  const int sh = TruncToInt(SourceSpan(imageHeight, viewHeight, s));
  if (imageWidth < s * pan.x + sw) pan.x = TruncToInt((imageWidth - sw) / s);
  if (imageHeight < s * pan.y + sh) pan.y = TruncToInt((imageHeight - sh) / s);
  return pan;
}

std::wstring FormatScaleCaption(double scalePercent) {
  wchar_t text[64];
  const int n = std::swprintf(text, std::size(text), L"Display Scale : %.f%%", scalePercent);
  return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

}  // namespace display
