#pragma once
// How a background picture covers a client area.
#include <windows.h>

#include <vector>

namespace skin {

enum SkinDrawMode : int {
  SKIN_DRAW_NORMAL = 0,   // unscaled at the client origin
  SKIN_DRAW_TILE = 1,     // repeated from the origin, row by row
  SKIN_DRAW_CENTER = 2,   // unscaled, centred
  SKIN_DRAW_STRETCH = 3,  // scaled to the whole client area
  SKIN_DRAW_FIT = 4,      // unscaled at the origin; the window takes the picture's size
};

// Top-left corners of the copies that tile `area` with a `tile`-sized picture, row by row.
std::vector<POINT> TilePositions(SIZE area, SIZE tile);

// Where a `picture`-sized copy goes to sit centred in `area`; negative when the picture is
// the larger one, so its middle still lands in the middle of the area.
POINT CenterOffset(SIZE area, SIZE picture) noexcept;

// Draws the picture selected into `pictureDc` (of size `picture`) over `client` of `dc` by
// `mode`; an unknown mode draws nothing.
void PaintBackground(HDC dc, const RECT& client, HDC pictureDc, SIZE picture, int mode);

}  // namespace skin
