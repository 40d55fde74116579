#pragma once
// Where the view's points lie in the picture and on the sensor: the pixel under the pointer,
// the part of the picture a view shows (what the focus aid measures), and the sensor
// position of a picture pixel once the camera's area of interest and mirroring are undone.
//
// Picture coordinates here are columns and rows from the picture's top-left corner, as the
// frame buffer stores them; the render geometry's source origin counts rows upward from the
// bottom edge, and these functions do the turn.
#include <windows.h>

#include <cstdint>
#include <optional>

#include "display/bgr_picture.h"
#include "display/render_geometry.h"

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
};

POINT PictureToSensor(POINT pixel, int pictureWidth, int pictureHeight, const SensorPlacement& placement);

struct PixelColour {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const PixelColour&, const PixelColour&) = default;
};
// The colour of a picture pixel; nullopt for a point outside the picture.
std::optional<PixelColour> ColourAt(const BgrPicture& picture, POINT pixel);

}  // namespace display
