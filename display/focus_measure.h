#pragma once
// The focus aid's figure: how much fine detail a part of the picture holds.
//
// It is the energy of the luminance gradient (the mean of dx^2 + dy^2, with dx and dy the
// differences to the right-hand and lower neighbour) divided by the squared mean luminance,
// times 1000. Sharper focus gives steeper edges and a higher figure; doubling the brightness
// doubles both the differences and the mean, so it leaves the figure almost where it was.
//
// Differences are always taken between neighbouring pixels, so the figure stays sensitive to
// a blur of one pixel; only the points they are taken at are thinned out, to about 160 000 on
// the grid of SampleGridRow (one in every 6 x 6 square at 2592 x 1944). On detail spread over
// the picture the grid's figure is within a few percent of the every-pixel figure; on a picture
// with only a few long edges, which grid rows meet or miss whole, it can be 10 to 15 % off. For
// a still scene the grid does not move, so the figure is steady while focusing.
#include <windows.h>

#include "display/bgr_picture.h"

namespace display {

inline constexpr int kFocusSamples = 160000;

// The figure for `area` of the picture (columns and rows from its top-left corner; clipped to
// the picture). 0 for an area of fewer than 2 x 2 pixels or a black one. A `step` of 0 takes
// FocusSampleStep's grid; 1 takes every pixel.
double ComputeFocusMeasure(const BgrPicture& picture, const RECT& area, int step = 0);

// The grid step ComputeFocusMeasure uses for an area of this size.
int FocusSampleStep(int areaWidth, int areaHeight);

// The figure shown and the highest one seen since the aid was switched on. A picture of a
// new size starts a new peak (a new resolution shows another part of the sensor); Reset
// starts one when the user asks. Used by one thread.
class FocusPeak {
 public:
  void Add(double value, int pictureWidth, int pictureHeight);
  void Reset();

  double Value() const { return value_; }
  double Peak() const { return peak_; }
  // The figure as a share of the peak, 0 to 1: the length of the bar.
  double BarFraction() const { return peak_ > 0 ? value_ / peak_ : 0.0; }

 private:
  double value_ = 0;
  double peak_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace display
