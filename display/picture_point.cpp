#include "display/picture_point.h"

#include <algorithm>
#include <cmath>

namespace display {
namespace {

// Picture row (from the top) at the top edge of the source rectangle; negative when the
// source reaches above the picture, which the stretch leaves black.
int SourceTopRow(const RenderGeometry& g, int pictureHeight) { return pictureHeight - g.sourceY - g.sourceHeight; }

}  // namespace

std::optional<POINT> ViewToPicture(const RenderGeometry& g, int viewWidth, int viewHeight, int pictureWidth,
                                   int pictureHeight, POINT viewPoint) {
  if (viewWidth <= 0 || viewHeight <= 0 || g.sourceWidth <= 0 || g.sourceHeight <= 0) return std::nullopt;
  // The stretch maps the source rectangle onto (destX, destY, viewWidth, viewHeight); a view
  // pixel shows the source pixel under its centre.
  const double sx = g.sourceX + (viewPoint.x - g.destX + 0.5) * g.sourceWidth / viewWidth;
  const double sy = SourceTopRow(g, pictureHeight) + (viewPoint.y - g.destY + 0.5) * g.sourceHeight / viewHeight;
  const double column = std::floor(sx), row = std::floor(sy);
  if (column < 0 || row < 0 || column >= pictureWidth || row >= pictureHeight) return std::nullopt;
  return POINT{static_cast<LONG>(column), static_cast<LONG>(row)};
}

RECT VisiblePictureRect(const RenderGeometry& g, int pictureWidth, int pictureHeight) {
  const int top = SourceTopRow(g, pictureHeight);
  RECT r{std::max(g.sourceX, 0), std::max(top, 0), std::min(g.sourceX + g.sourceWidth, pictureWidth),
         std::min(top + g.sourceHeight, pictureHeight)};
  if (r.right <= r.left || r.bottom <= r.top) return RECT{};
  return r;
}

POINT PictureToSensor(POINT pixel, int pictureWidth, int pictureHeight, const SensorPlacement& placement) {
  const LONG x = placement.flipHorizontal ? pictureWidth - 1 - pixel.x : pixel.x;
  const LONG y = placement.flipVertical ? pictureHeight - 1 - pixel.y : pixel.y;
  return POINT{placement.aoiX + x, placement.aoiY + y};
}

std::optional<PixelColour> ColourAt(const BgrPicture& picture, POINT pixel) {
  if (picture.Empty() || pixel.x < 0 || pixel.y < 0 || pixel.x >= picture.width || pixel.y >= picture.height)
    return std::nullopt;
  const std::uint8_t* p = picture.Row(pixel.y) + 3 * static_cast<std::size_t>(pixel.x);
  return PixelColour{p[2], p[1], p[0]};
}

}  // namespace display
