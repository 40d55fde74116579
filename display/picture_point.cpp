#include "display/picture_point.h"

#include <algorithm>
#include <cmath>

namespace display {
namespace {

// Picture row (from the top) at the top edge of the source rectangle; negative when the
// source reaches above the picture, which the stretch leaves black.
int SourceTopRow(const RenderGeometry& g, int pictureHeight) { return pictureHeight - g.sourceY - g.sourceHeight; }

}  // namespace

PointD ViewToPicturePoint(const RenderGeometry& g, int viewWidth, int viewHeight, int pictureHeight, PointD view) {
  // The stretch maps the source rectangle onto (destX, destY, viewWidth, viewHeight).
  return {g.sourceX + (view.x - g.destX) * g.sourceWidth / viewWidth,
          SourceTopRow(g, pictureHeight) + (view.y - g.destY) * g.sourceHeight / viewHeight};
}

PointD PictureToViewPoint(const RenderGeometry& g, int viewWidth, int viewHeight, int pictureHeight, PointD picture) {
  return {g.destX + (picture.x - g.sourceX) * viewWidth / g.sourceWidth,
          g.destY + (picture.y - SourceTopRow(g, pictureHeight)) * viewHeight / g.sourceHeight};
}

std::optional<POINT> ViewToPicture(const RenderGeometry& g, int viewWidth, int viewHeight, int pictureWidth,
                                   int pictureHeight, POINT viewPoint) {
  if (viewWidth <= 0 || viewHeight <= 0 || g.sourceWidth <= 0 || g.sourceHeight <= 0) return std::nullopt;
  // A view pixel shows the source pixel under its centre.
  const PointD p = ViewToPicturePoint(g, viewWidth, viewHeight, pictureHeight, {viewPoint.x + 0.5, viewPoint.y + 0.5});
  const double column = std::floor(p.x), row = std::floor(p.y);
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

PointD PictureToSensorPoint(PointD picture, int pictureWidth, int pictureHeight, const SensorPlacement& placement) {
  // Mirroring turns the picture within its area: [0, width) onto itself, back to front.
  const double x = placement.flipHorizontal ? pictureWidth - picture.x : picture.x;
  const double y = placement.flipVertical ? pictureHeight - picture.y : picture.y;
  return {placement.aoiX + x, placement.aoiY + y};
}

PointD SensorToPicturePoint(PointD sensor, int pictureWidth, int pictureHeight, const SensorPlacement& placement) {
  const double x = sensor.x - placement.aoiX, y = sensor.y - placement.aoiY;
  return {placement.flipHorizontal ? pictureWidth - x : x, placement.flipVertical ? pictureHeight - y : y};
}

SensorPlacement SensorPlacementOf(const LiveInfo& live) {
  return {live.aoiX.load(), live.aoiY.load(), live.flipHorizontal.load(), live.flipVertical.load()};
}

POINT PictureToSensor(POINT pixel, int pictureWidth, int pictureHeight, const SensorPlacement& placement) {
  // The pixel's centre goes where that pixel's centre lands.
  const PointD p = PictureToSensorPoint({pixel.x + 0.5, pixel.y + 0.5}, pictureWidth, pictureHeight, placement);
  return POINT{static_cast<LONG>(std::floor(p.x)), static_cast<LONG>(std::floor(p.y))};
}

ViewPlacement PlaceView(int viewWidth, int viewHeight, int pictureWidth, int pictureHeight, double scalePercent,
                        PanOffset pan, const SensorPlacement& sensor) {
  ViewPlacement v{{}, viewWidth, viewHeight, pictureWidth, pictureHeight, sensor};
  if (viewWidth > 0 && viewHeight > 0 && pictureWidth > 0 && pictureHeight > 0 && scalePercent >= 1)
    v.geometry = ComputeRenderGeometry(pictureWidth, pictureHeight, viewWidth, viewHeight, scalePercent, pan.x, pan.y);
  return v;
}

PointD ViewToSensor(const ViewPlacement& v, PointD view) {
  if (ViewPixelsPerPixel(v) <= 0) return {};
  return PictureToSensorPoint(ViewToPicturePoint(v.geometry, v.viewWidth, v.viewHeight, v.pictureHeight, view),
                              v.pictureWidth, v.pictureHeight, v.sensor);
}

PointD SensorToView(const ViewPlacement& v, PointD sensor) {
  if (ViewPixelsPerPixel(v) <= 0) return {};
  return PictureToViewPoint(v.geometry, v.viewWidth, v.viewHeight, v.pictureHeight,
                            SensorToPicturePoint(sensor, v.pictureWidth, v.pictureHeight, v.sensor));
}

double ViewPixelsPerPixel(const ViewPlacement& v) {
  if (v.viewWidth <= 0 || v.viewHeight <= 0 || v.geometry.sourceWidth <= 0 || v.geometry.sourceHeight <= 0) return 0;
  return static_cast<double>(v.viewWidth) / v.geometry.sourceWidth;
}

bool OnPicture(const ViewPlacement& v, PointD sensor) {
  const PointD p = SensorToPicturePoint(sensor, v.pictureWidth, v.pictureHeight, v.sensor);
  return p.x >= 0 && p.y >= 0 && p.x <= v.pictureWidth && p.y <= v.pictureHeight;
}

PointD ClampToPicture(const ViewPlacement& v, PointD sensor) {
  const double left = v.sensor.aoiX, top = v.sensor.aoiY;
  return {std::clamp(sensor.x, left, left + v.pictureWidth), std::clamp(sensor.y, top, top + v.pictureHeight)};
}

std::optional<PixelColour> ColourAt(const BgrPicture& picture, POINT pixel) {
  if (picture.Empty() || pixel.x < 0 || pixel.y < 0 || pixel.x >= picture.width || pixel.y >= picture.height)
    return std::nullopt;
  const std::uint8_t* p = picture.Row(pixel.y) + 3 * static_cast<std::size_t>(pixel.x);
  return PixelColour{p[2], p[1], p[0]};
}

}  // namespace display
