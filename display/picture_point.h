#pragma once
// Where the view's points lie in the picture and on the sensor: the pixel under the pointer,
// the part of the picture a view shows (what the focus aid measures), and the sensor
// position of a picture pixel once the camera's area of interest and mirroring are undone.
//
// Picture coordinates here are columns and rows from the picture's top-left corner, as the
// frame buffer stores them; the render geometry's source origin counts rows upward from the
// bottom edge, and these functions do the turn. The PointD forms are continuous (pixel
// (c, r) covers [c, c + 1) x [r, r + 1), in the view as in the picture and on the sensor);
// the POINT forms name the pixel under a view pixel's centre.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "display/bgr_picture.h"
#include "display/render_geometry.h"
#include "state/live_info.h"
#include "state/sensor_line.h"

namespace display {

// The picture pixel drawn at `viewPoint` of a viewWidth x viewHeight view drawn with `g`, or
// nullopt where the view shows none of the picture (the black margins).
std::optional<POINT> ViewToPicture(const RenderGeometry& g, int viewWidth, int viewHeight, int pictureWidth,
                                   int pictureHeight, POINT viewPoint);

// The part of the picture that `g` shows, clipped to the picture; empty when none shows.
RECT VisiblePictureRect(const RenderGeometry& g, int pictureWidth, int pictureHeight);

// How the delivered picture lies on the sensor: the area of interest's top-left corner and
// the camera's mirroring, which flips the picture within that area.
struct SensorPlacement {
  int aoiX = 0;
  int aoiY = 0;
  bool flipHorizontal = false;
  bool flipVertical = false;
  friend bool operator==(const SensorPlacement&, const SensorPlacement&) = default;
};
// Where the camera says its picture lies now.
SensorPlacement SensorPlacementOf(const LiveInfo& live);

POINT PictureToSensor(POINT pixel, int pictureWidth, int pictureHeight, const SensorPlacement& placement);

// The stretch's own mapping, continuous and unclipped, and its inverse.
PointD ViewToPicturePoint(const RenderGeometry& g, int viewWidth, int viewHeight, int pictureHeight, PointD view);
PointD PictureToViewPoint(const RenderGeometry& g, int viewWidth, int viewHeight, int pictureHeight, PointD picture);
// The area of interest and mirroring undone, and done again.
PointD PictureToSensorPoint(PointD picture, int pictureWidth, int pictureHeight, const SensorPlacement& placement);
PointD SensorToPicturePoint(PointD sensor, int pictureWidth, int pictureHeight, const SensorPlacement& placement);

// Everything that places a view over the sensor: the render geometry of a view of a picture
// that lies on the sensor as `sensor` says.
struct ViewPlacement {
  RenderGeometry geometry;
  int viewWidth = 0;
  int viewHeight = 0;
  int pictureWidth = 0;
  int pictureHeight = 0;
  SensorPlacement sensor;
};
ViewPlacement PlaceView(int viewWidth, int viewHeight, int pictureWidth, int pictureHeight, double scalePercent,
                        PanOffset pan, const SensorPlacement& sensor);
PointD ViewToSensor(const ViewPlacement& v, PointD view);
PointD SensorToView(const ViewPlacement& v, PointD sensor);
// View pixels per picture (and sensor) pixel, across; 0 for a placement of no size.
double ViewPixelsPerPixel(const ViewPlacement& v);
// Whether a sensor point lies on the picture, and the nearest point of the picture to it.
bool OnPicture(const ViewPlacement& v, PointD sensor);
PointD ClampToPicture(const ViewPlacement& v, PointD sensor);

struct PixelColour {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const PixelColour&, const PixelColour&) = default;
};
// The colour of a picture pixel; nullopt for a point outside the picture.
std::optional<PixelColour> ColourAt(const BgrPicture& picture, POINT pixel);

}  // namespace display
