#include "display/measure_overlays.h"

#include <algorithm>
#include <cmath>

#include "display/overlay_text.h"
#include "framework/handles.h"

namespace display {
namespace {

constexpr COLORREF kTextColour = RGB(255, 255, 255);

int Floor(double v) { return static_cast<int>(std::floor(v)); }
int Ceil(double v) { return static_cast<int>(std::ceil(v)); }

POINT ToPixel(PointD p) { return {Floor(p.x), Floor(p.y)}; }

RECT Union(const RECT& a, const RECT& b) {
  if (::IsRectEmpty(&a)) return b;
  RECT both{};
  ::UnionRect(&both, &a, &b);
  return both;
}

// Where the picture lies in the view, clipped to the view.
RECT PictureInView(const ViewPlacement& v) {
  const PointD tl = PictureToViewPoint(v.geometry, v.viewWidth, v.viewHeight, v.pictureHeight, {0, 0});
  const PointD br = PictureToViewPoint(v.geometry, v.viewWidth, v.viewHeight, v.pictureHeight,
                                       {static_cast<double>(v.pictureWidth), static_cast<double>(v.pictureHeight)});
  RECT r{std::max(Floor(tl.x), 0), std::max(Floor(tl.y), 0), std::min(Ceil(br.x), v.viewWidth),
         std::min(Ceil(br.y), v.viewHeight)};
  if (r.right <= r.left || r.bottom <= r.top) return RECT{};
  return r;
}

PointD PictureCentreInView(const ViewPlacement& v) {
  return PictureToViewPoint(v.geometry, v.viewWidth, v.viewHeight, v.pictureHeight,
                            {v.pictureWidth / 2.0, v.pictureHeight / 2.0});
}

// Segments (pairs of points) in one call: the grid has dozens of them.
void DrawSegments(HDC dc, const std::vector<POINT>& points, COLORREF colour, int width) {
  if (points.empty()) return;
  fw::UniquePen pen(::CreatePen(PS_SOLID, width, colour));
  fw::ScopedSelectObject select(dc, pen.get());
  const std::vector<DWORD> counts(points.size() / 2, 2);
  ::PolyPolyline(dc, points.data(), counts.data(), static_cast<DWORD>(counts.size()));
}

void DrawGrid(HDC dc, const ViewPlacement& v, const RECT& picture, double spacing, const MeasureStyle& style) {
  const double acrossPerPixel = static_cast<double>(v.viewWidth) / v.geometry.sourceWidth;
  const double downPerPixel = static_cast<double>(v.viewHeight) / v.geometry.sourceHeight;
  const PointD centre = PictureCentreInView(v);
  std::vector<POINT> points;
  for (const double x : GridPositions(centre.x, spacing * acrossPerPixel, picture.left, picture.right)) {
    points.push_back({Floor(x), picture.top});
    points.push_back({Floor(x), picture.bottom});
  }
  for (const double y : GridPositions(centre.y, spacing * downPerPixel, picture.top, picture.bottom)) {
    points.push_back({picture.left, Floor(y)});
    points.push_back({picture.right, Floor(y)});
  }
  DrawSegments(dc, points, kGridColour, style.lineWidth);
}

void DrawCrosshair(HDC dc, const ViewPlacement& v, const RECT& picture, const MeasureStyle& style) {
  const POINT c = ToPixel(PictureCentreInView(v));
  DrawSegments(dc, {{c.x, picture.top}, {c.x, picture.bottom}, {picture.left, c.y}, {picture.right, c.y}},
               kCrosshairColour, style.lineWidth);
}

// One measured line with ticks across its ends and its label beside its end; returns where
// it drew.
RECT DrawMeasuredLine(HDC dc, const ViewPlacement& v, const SensorLine& line, std::optional<double> micronsPerPixel,
                      const MeasureStyle& style) {
  const PointD a = SensorToView(v, line.from), b = SensorToView(v, line.to);
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  const double tick = 3.0 + 2.0 * style.lineWidth;
  // The unit vector across the line, for the ticks; a line of no length gets a cross.
  const double nx = length > 0 ? -(b.y - a.y) / length : 0.0, ny = length > 0 ? (b.x - a.x) / length : 1.0;
  const POINT pa = ToPixel(a), pb = ToPixel(b);
  std::vector<POINT> points{pa, pb};
  for (const PointD end : {a, b}) {
    points.push_back(ToPixel({end.x - nx * tick, end.y - ny * tick}));
    points.push_back(ToPixel({end.x + nx * tick, end.y + ny * tick}));
  }
  // A dark edge under the line keeps it visible on a bright picture.
  DrawSegments(dc, points, RGB(0, 0, 0), style.lineWidth + 2);
  DrawSegments(dc, points, kMeasureColour, style.lineWidth);

  RECT drawn{std::min(pa.x, pb.x), std::min(pa.y, pb.y), std::max(pa.x, pb.x) + 1, std::max(pa.y, pb.y) + 1};
  const int reach = Ceil(tick) + style.lineWidth + 2;
  ::InflateRect(&drawn, reach, reach);

  const std::wstring text = FormatLineMeasure(MeasureLine(line, v.sensor, micronsPerPixel));
  const SIZE size = TextSize(dc, text);
  const int gap = 4 + style.lineWidth * 2;
  // Beside the end the pointer left it at, turned inward near the view's edges.
  int x = pb.x + gap, y = pb.y + gap;
  if (x + size.cx > v.viewWidth) x = pb.x - gap - size.cx;
  if (y + size.cy > v.viewHeight) y = pb.y - gap - size.cy;
  return Union(drawn, DrawShadowedText(dc, x, y, text, kMeasureColour, style.shadow));
}

}  // namespace

MeasureOverlays MeasureOverlaysOf(const Measuring& measuring) {
  MeasureOverlays o;
  o.scaleBar = measuring.scaleBar.load();
  o.crosshair = measuring.crosshair.load();
  o.grid = measuring.grid.load();
  o.lines = measuring.measurements.Lines();
  if (const auto calibration = measuring.calibrations.InUse()) o.micronsPerPixel = calibration->micronsPerPixel;
  return o;
}

int SavedPictureFontHeight(int height) { return std::max(14, height / 45); }

MeasureStyle StyleForSavedPicture(int width, int height) {
  const int size = std::max(std::min(width, height), 1);
  MeasureStyle style;
  style.lineWidth = std::max(1, size / 600);
  style.barHeight = std::max(5, size / 150);
  style.margin = std::max(8, size / 60);
  style.shadow = std::max(1, size / 700);
  return style;
}

std::optional<double> GridSpacing(const ScaleBar& bar, std::optional<double> micronsPerPixel) {
  if (!(bar.length > 0)) return std::nullopt;
  if (!bar.calibrated) return bar.length;
  if (!micronsPerPixel || !(*micronsPerPixel > 0)) return std::nullopt;
  return bar.length / *micronsPerPixel;
}

void DrawMeasureMarks(HDC dc, const ViewPlacement& view, const MeasureOverlays& overlays, const MeasureStyle& style,
                      std::vector<RECT>& drawn) {
  const double perPixel = ViewPixelsPerPixel(view);
  if (perPixel <= 0) return;
  fw::ScopedSelectObject selectFont(dc, style.font);
  const RECT picture = PictureInView(view);
  if (overlays.grid && !::IsRectEmpty(&picture)) {
    const auto bar = ChooseScaleBar(view.viewWidth, perPixel, overlays.micronsPerPixel);
    if (const auto spacing = bar ? GridSpacing(*bar, overlays.micronsPerPixel) : std::nullopt) {
      DrawGrid(dc, view, picture, *spacing, style);
      drawn.push_back(picture);
    }
  }
  if (overlays.crosshair && !::IsRectEmpty(&picture)) {
    DrawCrosshair(dc, view, picture, style);
    drawn.push_back(picture);
  }
  for (const SensorLine& line : overlays.lines)
    drawn.push_back(DrawMeasuredLine(dc, view, line, overlays.micronsPerPixel, style));
}

void DrawScaleBar(HDC dc, const ViewPlacement& view, const MeasureOverlays& overlays, const MeasureStyle& style,
                  int floor, std::vector<RECT>& drawn) {
  const double perPixel = ViewPixelsPerPixel(view);
  if (perPixel <= 0) return;
  fw::ScopedSelectObject selectFont(dc, style.font);
  const int right = view.viewWidth - style.margin;
  int bottom = floor - style.margin;
  const auto bar = ChooseScaleBar(view.viewWidth, perPixel, overlays.micronsPerPixel);
  if (overlays.scaleBar && bar) {
    // The white part is exactly the bar's length; its dark frame lies around it.
    const RECT white{right - bar->pixels, bottom - style.barHeight, right, bottom};
    RECT frame = white;
    ::InflateRect(&frame, 1, 1);
    fw::UniqueBrush fill(::CreateSolidBrush(kScaleBarColour));
    ::FillRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::FillRect(dc, &white, fill.get());
    const SIZE size = TextSize(dc, bar->label);
    const int y = frame.top - 2 - size.cy;
    drawn.push_back(Union(frame, DrawShadowedText(dc, right - size.cx, y, bar->label, kTextColour, style.shadow)));
    bottom = y;
  }
  if (overlays.grid && bar) {
    const std::wstring text =
        L"Grid " + (bar->calibrated ? FormatRoundLength(bar->length)
                                    : std::to_wstring(static_cast<long long>(bar->length)) + L" px");
    const SIZE size = TextSize(dc, text);
    drawn.push_back(DrawShadowedText(dc, right - size.cx, bottom - size.cy - 2, text, kGridColour, style.shadow));
  }
  if (!overlays.timeStamp.empty()) {
    const SIZE size = TextSize(dc, overlays.timeStamp);
    drawn.push_back(DrawShadowedText(dc, style.margin, floor - style.margin - size.cy, overlays.timeStamp, kTextColour,
                                     style.shadow));
  }
}

}  // namespace display
