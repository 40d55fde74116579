#include "skin/resize_zone.h"

#include <algorithm>

namespace skin {

unsigned ResizeZoneAt(const RECT& client, POINT pt) noexcept {
  const bool left = pt.x <= client.left + kResizeGrip;
  const bool right = pt.x >= client.right - kResizeGrip;
  const bool top = pt.y <= client.top + kResizeGrip;
  const bool bottom = pt.y >= client.bottom - kResizeGrip;
  if (top && left) return kZoneTopLeft;
  if (top && right) return kZoneTopRight;
  if (bottom && right) return kZoneBottomRight;
  if (bottom && left) return kZoneBottomLeft;
  if (top) return kZoneTop;
  if (right) return kZoneRight;
  if (bottom) return kZoneBottom;
  if (left) return kZoneLeft;
  return kZoneNone;
}

const wchar_t* ResizeZoneCursor(unsigned zone) noexcept {
  switch (zone) {
    case kZoneTopLeft:
    case kZoneBottomRight: return IDC_SIZENWSE;
    case kZoneTopRight:
    case kZoneBottomLeft: return IDC_SIZENESW;
    case kZoneTop:
    case kZoneBottom: return IDC_SIZENS;
    case kZoneRight:
    case kZoneLeft: return IDC_SIZEWE;
    default: return nullptr;
  }
}

namespace {
bool MovesTop(unsigned zone) { return zone == kZoneTop || zone == kZoneTopLeft || zone == kZoneTopRight; }
bool MovesBottom(unsigned zone) { return zone == kZoneBottom || zone == kZoneBottomRight || zone == kZoneBottomLeft; }
bool MovesLeft(unsigned zone) { return zone == kZoneLeft || zone == kZoneTopLeft || zone == kZoneBottomLeft; }
bool MovesRight(unsigned zone) { return zone == kZoneRight || zone == kZoneTopRight || zone == kZoneBottomRight; }
}  // namespace

RECT TrackResizeBand(const RECT& band, unsigned zone, POINT screenPt, const RECT& window, SIZE minimum) noexcept {
  RECT next = band;
  if (MovesTop(zone)) next.top = std::min(screenPt.y, window.bottom - minimum.cy);
  if (MovesBottom(zone)) next.bottom = std::max(screenPt.y, window.top + minimum.cy);
  if (MovesLeft(zone)) next.left = std::min(screenPt.x, window.right - minimum.cx);
  if (MovesRight(zone)) next.right = std::max(screenPt.x, window.left + minimum.cx);
  return next;
}

}  // namespace skin
