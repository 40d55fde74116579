// The measuring arithmetic by plain calls: the scale bar, lengths and angles, the grid, and
// the way between the view and the sensor through crop, mirroring, zoom and pan.
#include "display/measure_math.h"

#include <gtest/gtest.h>

#include "tests/display/geometry_expectations.h"

namespace {

using display::ChooseScaleBar;
using display::RoundLengthAtMost;
using namespace display_test;

TEST(ScaleBar, IsTheLongestOneTwoOrFiveTimesAPowerOfTenWithinAQuarterOfTheView) {
  EXPECT_EQ(RoundLengthAtMost(7.3), 5.0);
  EXPECT_EQ(RoundLengthAtMost(19.99), 10.0);
  EXPECT_EQ(RoundLengthAtMost(1000.0), 1000.0);
  EXPECT_DOUBLE_EQ(*RoundLengthAtMost(0.03), 0.02);
  EXPECT_FALSE(RoundLengthAtMost(0.7, true));  // less than a sensor pixel
  for (const int width : {150, 468, 1920})
    for (double zoom = 0.1; zoom <= 3.0; zoom += 0.1) {
      const auto bar = ChooseScaleBar(width, zoom, 2.2);
      ASSERT_TRUE(bar);
      EXPECT_NEAR(bar->pixels, bar->length / 2.2 * zoom, 0.5);  // as long as its label says
      EXPECT_LE(bar->pixels, width / 4.0 + 0.5);
      EXPECT_GE(bar->pixels, width / 4.0 * 0.4 - 0.5);  // the next round length would not fit
    }
  EXPECT_EQ(ChooseScaleBar(640, 1.0, 0.5)->label, L"50 \u00B5m");
  EXPECT_EQ(ChooseScaleBar(640, 0.1, 2.5)->label, L"2 mm");
  EXPECT_EQ(ChooseScaleBar(640, 0.5, std::nullopt)->label, L"200 px (not calibrated)");
  EXPECT_EQ(ChooseScaleBar(640, 0.5, std::nullopt)->pixels, 100);
  EXPECT_FALSE(ChooseScaleBar(0, 1.0, 0.5));
}

TEST(MeasureLine, GivesSensorPixelsMicrometresAndTheAngleAsThePictureShowsIt) {
  const SensorLine upRight{{0, 40}, {30, 0}};  // rows grow downward: this goes up
  const auto m = display::MeasureLine(upRight, {}, 2.0);
  EXPECT_DOUBLE_EQ(m.pixels, 50);
  EXPECT_NEAR(m.degrees, 53.13, 0.01);
  EXPECT_EQ(display::FormatLineMeasure(m), L"100.0 \u00B5m   50.0 px   53.1\u00B0");
  EXPECT_NEAR(display::MeasureLine(upRight, {0, 0, true, false}, 2.0).degrees, 180 - 53.13, 0.01);
  EXPECT_NEAR(display::MeasureLine(upRight, {0, 0, false, true}, 2.0).degrees, -53.13, 0.01);
  EXPECT_EQ(display::FormatLineMeasure(display::MeasureLine({{1, 2}, {4001, 2}}, {}, std::nullopt)),
            L"4000.0 px   0.0\u00B0");
  EXPECT_EQ(display::FormatMicrons(255.31), L"255.3 \u00B5m");
  EXPECT_EQ(display::FormatMicrons(999.96), L"1.000 mm");
  EXPECT_EQ(display::FormatRoundLength(20000), L"20 mm");
}

TEST(Grid, LinesPassThroughTheOriginOneSpacingApart) {
  EXPECT_EQ(display::GridPositions(50, 20, 0, 100), (std::vector<double>{10, 30, 50, 70, 90}));
  EXPECT_TRUE(display::GridPositions(50, 0.001, 0, 100).empty());  // no crowd of lines
}

display::ViewPlacement Place(double scale, int panX, int panY, display::SensorPlacement sensor) {
  return display::PlaceView(kCw, kCh, kW, kH, scale, {panX, panY}, sensor);
}

TEST(ViewAndSensor, AViewPointLandsOnTheSensorThroughZoomPanCropAndMirroring) {
  const display::SensorPlacement crop{976, 732, false, false};  // 640 x 480 in the sensor's middle
  const auto at = [](const display::ViewPlacement& v, PointD p) { return display::ViewToSensor(v, p); };
  // 100 %, pan (0, 0): the view's corner shows picture (0, 122); mirrored, the far column.
  EXPECT_EQ(at(Place(100, 0, 0, crop), {0, 0}), (PointD{976, 732 + 122}));
  EXPECT_EQ(at(Place(100, 0, 0, {976, 732, true, false}), {0, 0}), (PointD{976 + 640, 732 + 122}));
  // 200 %, pan (50, 20): two view pixels per pixel from picture (100, 261).
  EXPECT_EQ(at(Place(200, 50, 20, crop), {10, 10}), (PointD{976 + 105, 732 + 266}));
  // 50 %: the picture is centred at (74, 59), off it is off the sensor's picture.
  const auto half = Place(50, 0, 0, crop);
  EXPECT_EQ(at(half, {74, 59}), (PointD{976, 732}));
  EXPECT_FALSE(display::OnPicture(half, at(half, {10, 10})));
  EXPECT_EQ(display::ClampToPicture(half, {0, 5000}), (PointD{976, 732 + 480}));
  for (const double scale : {10.0, 130.0, 300.0})
    for (const bool flip : {false, true}) {
      const auto v = Place(scale, 37, 11, {136, 100, flip, !flip});
      const PointD back = display::SensorToView(v, at(v, {123.5, 77.25}));
      EXPECT_NEAR(back.x, 123.5, 1e-9);
      EXPECT_NEAR(back.y, 77.25, 1e-9);
    }
}

}  // namespace
