#pragma once
// The arithmetic of measuring in the picture: the scale bar's round length and its label,
// a measured line's length and angle, and where the grid's lines fall. Pure functions; the
// drawing is measure_overlays.h.
#include <optional>
#include <string>
#include <vector>

#include "display/picture_point.h"
#include "state/sensor_line.h"

namespace display {

// The longest round length (1, 2 or 5 x 10^n) that is no longer than `limit`; nullopt when
// `limit` is not positive. `wholeOnly` keeps n at 0 or above (sensor pixels do not split).
std::optional<double> RoundLengthAtMost(double limit, bool wholeOnly = false);

struct ScaleBar {
  double length = 0;        // in µm with a calibration, in sensor pixels without one
  bool calibrated = false;  // false: the length is in sensor pixels, and the label says so
  int pixels = 0;           // the bar's length on the screen (or in the saved picture)
  std::wstring label;       // "500 µm", "2 mm", "200 px (not calibrated)"
};

// The scale bar for a view `viewWidth` pixels wide that shows `viewPixelsPerPixel` view
// pixels per sensor pixel: a round length no longer than a quarter of the view, in µm (or
// mm) with a calibration of `micronsPerPixel`, in sensor pixels without. Nullopt when the
// view or the scale has no size.
std::optional<ScaleBar> ChooseScaleBar(int viewWidth, double viewPixelsPerPixel, std::optional<double> micronsPerPixel);

// A round length in µm as the bar's label says it: "0.5 µm", "500 µm", "1 mm", "20 mm".
std::wstring FormatRoundLength(double microns);
// A measured length to four figures: "2.553 µm", "255.3 µm", "2.553 mm", "125.5 mm".
std::wstring FormatMicrons(double microns);

struct LineMeasure {
  double pixels = 0;              // length in sensor pixels
  std::optional<double> microns;  // with a calibration
  double degrees = 0;             // as the picture shows it: 0 to the right, counter-clockwise up to 180, down to -180
};
// A sensor line's length and its angle in a picture placed on the sensor as `placement`
// says (mirroring turns the angle the user sees).
LineMeasure MeasureLine(const SensorLine& line, const SensorPlacement& placement,
                        std::optional<double> micronsPerPixel);
// "2.553 mm   1021.0 px   45.0°", or without a calibration "1021.0 px   45.0°".
std::wstring FormatLineMeasure(const LineMeasure& measure);

// The positions in [begin, end) of lines `spacing` apart that pass through `origin`, in
// increasing order; none for a spacing that is not positive.
std::vector<double> GridPositions(double origin, double spacing, double begin, double end);

}  // namespace display
