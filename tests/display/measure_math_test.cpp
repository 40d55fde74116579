// The measuring arithmetic by plain calls: the scale bar's round length and label, measured
// lines, the grid, and the mapping between the view and the sensor with crop, mirroring,
// zoom and pan.
#include "display/measure_math.h"

#include <gtest/gtest.h>

#include "display/picture_point.h"
#include "tests/display/geometry_expectations.h"

namespace {

using display::ChooseScaleBar;
using display::RoundLengthAtMost;
using display_test::kCh;
using display_test::kCw;
using display_test::kH;
using display_test::kW;

TEST(ScaleBar, TakesTheLongestOneTwoOrFiveTimesAPowerOfTenThatFits) {
  EXPECT_EQ(RoundLengthAtMost(7.3), 5.0);
  EXPECT_EQ(RoundLengthAtMost(19.99), 10.0);
  EXPECT_EQ(RoundLengthAtMost(20.0), 20.0);
  EXPECT_EQ(RoundLengthAtMost(1000.0), 1000.0);
  EXPECT_EQ(RoundLengthAtMost(999.9), 500.0);
  EXPECT_DOUBLE_EQ(*RoundLengthAtMost(0.03), 0.02);
  EXPECT_FALSE(RoundLengthAtMost(0.0));
  EXPECT_FALSE(RoundLengthAtMost(0.7, true));  // less than one sensor pixel
  EXPECT_EQ(RoundLengthAtMost(0.7), 0.5);
}

TEST(ScaleBar, IsNeverLongerThanAQuarterOfTheViewAndFollowsTheZoom) {
  for (const int width : {150, 468, 1920})
    for (double zoom = 0.1; zoom <= 3.0; zoom += 0.1)
      for (const double um : {0.05, 0.5, 2.2, 7.0}) {
        const auto bar = ChooseScaleBar(width, zoom, um);
        ASSERT_TRUE(bar);
        // Drawn as long as its label says, and no longer than a quarter of the view.
        EXPECT_NEAR(bar->pixels, bar->length / um * zoom, 0.5);
        EXPECT_LE(bar->pixels, width / 4.0 + 0.5);
        // The next round length up would not have fitted: at least 2/5 of the quarter.
        EXPECT_GE(bar->pixels, width / 4.0 * 0.4 - 0.5) << width << " " << zoom << " " << um;
      }
  // 0.5 µm per pixel in a 640-pixel view: 160 pixels allowed.
  EXPECT_EQ(ChooseScaleBar(640, 1.0, 0.5)->label, L"50 \u00B5m");  // 100 pixels
  EXPECT_EQ(ChooseScaleBar(640, 1.0, 0.5)->pixels, 100);
  EXPECT_EQ(ChooseScaleBar(640, 0.1, 0.5)->label, L"500 \u00B5m");  // 1600 sensor pixels allowed
  EXPECT_EQ(ChooseScaleBar(640, 0.1, 2.5)->label, L"2 mm");
  EXPECT_EQ(ChooseScaleBar(640, 3.0, 0.05)->label, L"2 \u00B5m");
}

TEST(ScaleBar, WithoutACalibrationCountsSensorPixelsAndSaysSo) {
  const auto bar = ChooseScaleBar(640, 0.5, std::nullopt);
  ASSERT_TRUE(bar);
  EXPECT_FALSE(bar->calibrated);
  EXPECT_EQ(bar->length, 200.0);
  EXPECT_EQ(bar->pixels, 100);
  EXPECT_EQ(bar->label, L"200 px (not calibrated)");
  EXPECT_FALSE(ChooseScaleBar(0, 1.0, 0.5));
  EXPECT_FALSE(ChooseScaleBar(640, 0.0, 0.5));
}

TEST(LengthText, RoundLengthsAndMeasuredLengthsSwitchToMillimetresFromOneThousandMicrometres) {
  EXPECT_EQ(display::FormatRoundLength(0.5), L"0.5 \u00B5m");
  EXPECT_EQ(display::FormatRoundLength(500), L"500 \u00B5m");
  EXPECT_EQ(display::FormatRoundLength(1000), L"1 mm");
  EXPECT_EQ(display::FormatRoundLength(20000), L"20 mm");
  EXPECT_EQ(display::FormatMicrons(2.5531), L"2.553 \u00B5m");
  EXPECT_EQ(display::FormatMicrons(255.31), L"255.3 \u00B5m");
  EXPECT_EQ(display::FormatMicrons(999.96), L"1.000 mm");
  EXPECT_EQ(display::FormatMicrons(2552.5), L"2.553 mm");
  EXPECT_EQ(display::FormatMicrons(125500), L"125.5 mm");
}

TEST(MeasureLine, GivesSensorPixelsMicrometresAndTheAngleTheUserSees) {
  const SensorLine right{{100, 200}, {400, 200}};
  const auto plain = display::MeasureLine(right, {}, std::nullopt);
  EXPECT_DOUBLE_EQ(plain.pixels, 300);
  EXPECT_FALSE(plain.microns);
  EXPECT_DOUBLE_EQ(plain.degrees, 0);
  EXPECT_EQ(display::FormatLineMeasure(plain), L"300.0 px   0.0\u00B0");

  const SensorLine upRight{{0, 40}, {30, 0}};  // 3-4-5: rows grow downward, so this goes up
  const auto m = display::MeasureLine(upRight, {}, 2.0);
  EXPECT_DOUBLE_EQ(m.pixels, 50);
  EXPECT_DOUBLE_EQ(*m.microns, 100);
  EXPECT_NEAR(m.degrees, 53.13, 0.01);
  EXPECT_EQ(display::FormatLineMeasure(m), L"100.0 \u00B5m   50.0 px   53.1\u00B0");
  // Mirroring turns what the user sees; the length stays.
  EXPECT_NEAR(display::MeasureLine(upRight, {0, 0, true, false}, 2.0).degrees, 180 - 53.13, 0.01);
  EXPECT_NEAR(display::MeasureLine(upRight, {0, 0, false, true}, 2.0).degrees, -53.13, 0.01);
  EXPECT_DOUBLE_EQ(display::MeasureLine(right, {0, 0, true, true}, 1.0).degrees, 180);
}

TEST(Grid, LinesPassThroughTheOriginAtEverySpacingWithinTheRange) {
  EXPECT_EQ(display::GridPositions(50, 20, 0, 100), (std::vector<double>{10, 30, 50, 70, 90}));
  EXPECT_EQ(display::GridPositions(50, 20, 10, 90), (std::vector<double>{10, 30, 50, 70}));
  EXPECT_TRUE(display::GridPositions(50, 0, 0, 100).empty());
  EXPECT_TRUE(display::GridPositions(50, 0.001, 0, 100).empty());  // no crowd of lines
}

display::ViewPlacement Place(double scale, int panX, int panY, display::SensorPlacement sensor) {
  return display::PlaceView(kCw, kCh, kW, kH, scale, {panX, panY}, sensor);
}

TEST(ViewAndSensor, AViewPointLandsOnTheSensorThroughZoomPanCropAndMirroring) {
  const display::SensorPlacement crop{976, 732, false, false};  // 640 x 480 in the sensor's middle
  // 100 %, pan (0, 0): the view's top-left corner shows picture (0, 122).
  PointD s = display::ViewToSensor(Place(100, 0, 0, crop), {0, 0});
  EXPECT_DOUBLE_EQ(s.x, 976);
  EXPECT_DOUBLE_EQ(s.y, 732 + 122);
  // Mirrored across, the same view point is the picture's far column.
  s = display::ViewToSensor(Place(100, 0, 0, {976, 732, true, false}), {0, 0});
  EXPECT_DOUBLE_EQ(s.x, 976 + 640);
  // 200 %, pan (50, 20): two view pixels per picture pixel from column 100, row 261.
  const auto zoomed = Place(200, 50, 20, crop);
  EXPECT_DOUBLE_EQ(display::ViewPixelsPerPixel(zoomed), 2.0);
  s = display::ViewToSensor(zoomed, {10, 10});
  EXPECT_DOUBLE_EQ(s.x, 976 + 105);
  EXPECT_DOUBLE_EQ(s.y, 732 + 266);
  // 50 %: the picture is centred at (74, 59).
  s = display::ViewToSensor(Place(50, 0, 0, crop), {74, 59});
  EXPECT_DOUBLE_EQ(s.x, 976);
  EXPECT_DOUBLE_EQ(s.y, 732);
}

TEST(ViewAndSensor, GoingThereAndBackEndsWhereItStarted) {
  for (const double scale : {10.0, 50.0, 100.0, 130.0, 300.0})
    for (const bool flipH : {false, true})
      for (const bool flipV : {false, true}) {
        const auto v = Place(scale, 37, 11, {136, 100, flipH, flipV});
        for (const PointD p : {PointD{0, 0}, PointD{123.5, 77.25}, PointD{467, 357}}) {
          const PointD back = display::SensorToView(v, display::ViewToSensor(v, p));
          EXPECT_NEAR(back.x, p.x, 1e-9) << scale;
          EXPECT_NEAR(back.y, p.y, 1e-9) << scale;
        }
      }
}

TEST(ViewAndSensor, PointsOffThePictureAreBroughtToItsEdge) {
  const auto v = Place(50, 0, 0, {976, 732, false, false});
  EXPECT_FALSE(display::OnPicture(v, display::ViewToSensor(v, {10, 10})));  // the black margin
  EXPECT_TRUE(display::OnPicture(v, display::ViewToSensor(v, {200, 200})));
  const PointD clamped = display::ClampToPicture(v, {0, 5000});
  EXPECT_DOUBLE_EQ(clamped.x, 976);
  EXPECT_DOUBLE_EQ(clamped.y, 732 + 480);
}

}  // namespace
