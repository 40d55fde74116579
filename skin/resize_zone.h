#pragma once
// Where on a skinned window a press resizes it, and how the rubber band follows the pointer.
#include <windows.h>

namespace skin {

// Edges and corners, numbered as the rest of the skin code stores them (0 = not an edge).
enum ResizeZone : unsigned {
  kZoneNone = 0,
  kZoneTop = 1,
  kZoneRight = 2,
  kZoneBottom = 3,
  kZoneLeft = 4,
  kZoneTopLeft = 5,
  kZoneTopRight = 6,
  kZoneBottomRight = 7,
  kZoneBottomLeft = 8,
};

// How far inside an edge, in pixels, the pointer still grabs it.
inline constexpr int kResizeGrip = 5;

// The zone under `pt`, both in client coordinates; corners win over edges.
unsigned ResizeZoneAt(const RECT& client, POINT pt) noexcept;

// The system cursor id (IDC_*) shown over a zone, or null for kZoneNone.
const wchar_t* ResizeZoneCursor(unsigned zone) noexcept;

// The band after the pointer moved to `screenPt` while dragging `zone`: only the edges of the
// zone follow the pointer, and each moved edge stops where the window would become smaller
// than `minimum` (measured against the window rectangle at the press, `window`).
RECT TrackResizeBand(const RECT& band, unsigned zone, POINT screenPt, const RECT& window, SIZE minimum) noexcept;

}  // namespace skin
