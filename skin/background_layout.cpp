#include "skin/background_layout.h"

namespace skin {

std::vector<POINT> TilePositions(SIZE area, SIZE tile) {
  std::vector<POINT> positions;
  if (tile.cx <= 0 || tile.cy <= 0) return positions;
  for (int y = 0; y < area.cy; y += tile.cy)
    for (int x = 0; x < area.cx; x += tile.cx) positions.push_back({x, y});
  return positions;
}

POINT CenterOffset(SIZE area, SIZE picture) noexcept {
  return {(area.cx - picture.cx) / 2, (area.cy - picture.cy) / 2};
}

void PaintBackground(HDC dc, const RECT& client, HDC pictureDc, SIZE picture, int mode) {
  const SIZE area{client.right - client.left, client.bottom - client.top};
  switch (mode) {
    case SKIN_DRAW_NORMAL:
    case SKIN_DRAW_FIT: ::BitBlt(dc, client.left, client.top, picture.cx, picture.cy, pictureDc, 0, 0, SRCCOPY); break;
    case SKIN_DRAW_TILE:
      for (const POINT& at : TilePositions(area, picture))
        ::BitBlt(dc, client.left + at.x, client.top + at.y, picture.cx, picture.cy, pictureDc, 0, 0, SRCCOPY);
      break;
    case SKIN_DRAW_CENTER: {
      const POINT at = CenterOffset(area, picture);
      ::BitBlt(dc, client.left + at.x, client.top + at.y, picture.cx, picture.cy, pictureDc, 0, 0, SRCCOPY);
      break;
    }
    case SKIN_DRAW_STRETCH:
      ::StretchBlt(dc, client.left, client.top, area.cx, area.cy, pictureDc, 0, 0, picture.cx, picture.cy, SRCCOPY);
      break;
    default: break;
  }
}

}  // namespace skin
