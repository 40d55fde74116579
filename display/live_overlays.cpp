#include "display/live_overlays.h"

#include <algorithm>
#include <vector>

#include "framework/handles.h"

namespace display {
namespace {

// A box of `colour` at `alpha` over what is drawn at `box`.
void TranslucentBox(HDC dc, const RECT& box, COLORREF colour, BYTE alpha, DibSurface& scratch) {
  const int w = box.right - box.left, h = box.bottom - box.top;
  if (w <= 0 || h <= 0 || !scratch.Fit(dc, std::max(w, scratch.Width()), std::max(h, scratch.Height()))) return;
  fw::UniqueBrush brush(::CreateSolidBrush(colour));
  const RECT area{0, 0, w, h};
  ::FillRect(scratch.Dc(), &area, brush.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
  ::AlphaBlend(dc, box.left, box.top, w, h, scratch.Dc(), 0, 0, w, h, blend);
}

// Returns where the text went.
RECT Text(HDC dc, int x, int y, const std::wstring& text, COLORREF colour) {
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, colour);
  const int length = static_cast<int>(text.size());
  ::TextOutW(dc, x, y, text.c_str(), length);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), length, &size);
  return {x, y, x + size.cx, y + size.cy};
}

RECT Union(const RECT& a, const RECT& b) {
  RECT both{};
  ::UnionRect(&both, &a, &b);
  return both;
}

RECT DrawHistogram(HDC dc, const HistogramPanel& panel, DibSurface& scratch) {
  TranslucentBox(dc, panel.bounds, panel.background, kHistogramPanelAlpha, scratch);
  for (const HistogramCurve& curve : panel.curves) {
    fw::UniquePen pen(::CreatePen(PS_SOLID, 1, curve.colour));
    fw::ScopedSelectObject select(dc, pen.get());
    POINT points[256];
    for (std::size_t i = 0; i < curve.points.size(); ++i)
      points[i] = {panel.bounds.left + curve.points[i].x, panel.bounds.top + curve.points[i].y};
    ::Polyline(dc, points, 256);
  }
  return Union(panel.bounds, Text(dc, panel.bounds.left + panel.textOrigin.x, panel.bounds.top + panel.textOrigin.y,
                                  panel.text, kHistogramTextColour));
}

RECT DrawFocus(HDC dc, const FocusReadout& focus, DibSurface& scratch) {
  const RECT box{2, kFocusTop, 2 + kFocusBarWidth + 8, kFocusTop + 36};
  TranslucentBox(dc, box, RGB(0, 0, 0), kInfoLineAlpha, scratch);
  const RECT text = Text(dc, box.left + 4, box.top + 2, focus.text, RGB(255, 255, 255));
  const int length = static_cast<int>(std::clamp(focus.barFraction, 0.0, 1.0) * kFocusBarWidth);
  const RECT bar{box.left + 4, box.top + 22, box.left + 4 + length, box.top + 30};
  fw::UniqueBrush green(::CreateSolidBrush(kFocusBarColour));
  ::FillRect(dc, &bar, green.get());
  // The peak is the bar's full length: a white mark where the user turns the lens to.
  const RECT peak{box.left + 4 + kFocusBarWidth - 1, box.top + 20, box.left + 4 + kFocusBarWidth + 1, box.top + 32};
  ::FillRect(dc, &peak, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  return Union(box, text);
}

// The information line's items (separated by three spaces) in as few lines as fit the width.
std::vector<std::wstring> WrapItems(HDC dc, const std::wstring& text, int width) {
  static constexpr wchar_t kSeparator[] = L"   ";
  std::vector<std::wstring> lines;
  std::wstring line;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(kSeparator, start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring item = text.substr(start, end - start);
    const std::wstring longer = line.empty() ? item : line + kSeparator + item;
    SIZE size{};
    ::GetTextExtentPoint32W(dc, longer.c_str(), static_cast<int>(longer.size()), &size);
    if (!line.empty() && size.cx > width) {
      lines.push_back(line);
      line = item;
    } else {
      line = longer;
    }
    start = end + 3;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

int HistogramFloor(int viewHeight, bool infoLineShown) {
  return infoLineShown ? viewHeight - kInfoLineHeight : viewHeight;
}

int DrawLiveOverlays(HDC dc, int viewWidth, int viewHeight, const LiveOverlays& overlays, DibSurface& scratch,
                     std::vector<RECT>& drawn) {
  // A narrow view gets the information line in more than one line, from the bottom up.
  const std::vector<std::wstring> lines =
      overlays.infoLine.empty() ? std::vector<std::wstring>{} : WrapItems(dc, overlays.infoLine, viewWidth - 8);
  const int extraLines = lines.empty() ? 0 : static_cast<int>(lines.size()) - 1;
  if (overlays.histogram) {
    HistogramPanel panel = *overlays.histogram;
    ::OffsetRect(&panel.bounds, 0, -extraLines * kInfoLineHeight);
    drawn.push_back(DrawHistogram(dc, panel, scratch));
  }
  if (overlays.focus) drawn.push_back(DrawFocus(dc, *overlays.focus, scratch));
  if (!overlays.hint.empty()) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, overlays.hint.c_str(), static_cast<int>(overlays.hint.size()), &size);
    const RECT box{(viewWidth - size.cx) / 2 - 12, (viewHeight - size.cy) / 2 - 8, (viewWidth + size.cx) / 2 + 12,
                   (viewHeight + size.cy) / 2 + 8};
    TranslucentBox(dc, box, RGB(0, 0, 0), kInfoLineAlpha, scratch);
    drawn.push_back(Union(box, Text(dc, box.left + 12, box.top + 8, overlays.hint, kHintColour)));
  }
  if (lines.empty()) return viewHeight;
  const int top = viewHeight - static_cast<int>(lines.size()) * kInfoLineHeight;
  RECT box{0, top, viewWidth, viewHeight};
  TranslucentBox(dc, box, RGB(0, 0, 0), kInfoLineAlpha, scratch);
  for (std::size_t i = 0; i < lines.size(); ++i)
    box = Union(box, Text(dc, 4, top + static_cast<int>(i) * kInfoLineHeight + 2, lines[i], RGB(255, 255, 255)));
  drawn.push_back(box);
  return top;
}

}  // namespace display
