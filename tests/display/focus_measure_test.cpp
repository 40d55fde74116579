#include "display/focus_measure.h"

#include <gtest/gtest.h>

#include <cstring>

#include "camera/sdk/sensor_image.h"
#include "tests/display/test_frames.h"

namespace {

using display::ComputeFocusMeasure;
using display_test::BoxBlur;
using display_test::TestFrame;

constexpr int kBlurRadii[] = {8, 4, 2, 1, 0};  // ever less blur

RECT Whole(const TestFrame& f) { return RECT{0, 0, f.Width(), f.Height()}; }

// The simulated camera's chart at a size the tests blur quickly, copied into a padded frame.
TestFrame SensorChart(int width, int height) {
  const q7sim::Picture chart = q7sim::MakeTestChart(width, height);
  TestFrame frame(width, height);
  for (int y = 0; y < height; ++y)
    std::memcpy(frame.Pixel(0, y), chart.pixels.data() + y * chart.Stride(), chart.Stride());
  return frame;
}

struct Chart {
  const char* name;
  TestFrame (*make)();
};

void PrintTo(const Chart& chart, std::ostream* os) { *os << chart.name; }

class FocusOnChart : public ::testing::TestWithParam<Chart> {};

TEST_P(FocusOnChart, RisesAsTheChartIsBlurredLess) {
  const TestFrame chart = GetParam().make();
  double previous = 0;
  for (const int radius : kBlurRadii) {
    const TestFrame blurred = BoxBlur(chart, radius);
    const double focus = ComputeFocusMeasure(blurred.Picture(), Whole(blurred));
    EXPECT_GT(focus, previous * 1.05) << "blur radius " << radius;
    previous = focus;
  }
}

TEST_P(FocusOnChart, DoublingTheBrightnessMovesItLessThanTenPercent) {
  TestFrame dim = GetParam().make();
  dim.Scale(0.5);  // the chart at half brightness; doubled, it is the chart again without clipping
  for (const int radius : kBlurRadii) {
    const TestFrame blurred = BoxBlur(dim, radius);
    TestFrame bright = blurred;
    bright.Scale(2.0);
    const double a = ComputeFocusMeasure(blurred.Picture(), Whole(blurred));
    const double b = ComputeFocusMeasure(bright.Picture(), Whole(bright));
    EXPECT_NEAR(b / a, 1.0, 0.1) << "blur radius " << radius << ": " << a << " against " << b;
  }
}

INSTANTIATE_TEST_SUITE_P(Charts, FocusOnChart,
                         ::testing::Values(Chart{"Detailed", [] { return display_test::DetailedChart(1296, 972); }},
                                           Chart{"SimulatedSensor", [] { return SensorChart(1296, 972); }}),
                         [](const auto& info) { return std::string(info.param.name); });

// On detail spread over the picture (text-like strokes, gratings of 1 to 8 pixels) the grid's
// figure is the every-pixel figure within a few percent, at the sensor's full size. (On the
// simulated chart, whose few long edges grid rows meet or miss whole, it can be 10 % off; it
// still rises with sharpness, checked above.)
TEST(FocusMeasure, TheSampleGridAgreesWithEveryPixelOnSpreadDetail) {
  const TestFrame chart = display_test::DetailedChart(2592, 1944);
  for (const int radius : kBlurRadii) {
    const TestFrame blurred = BoxBlur(chart, radius);
    const double grid = ComputeFocusMeasure(blurred.Picture(), Whole(blurred));
    const double all = ComputeFocusMeasure(blurred.Picture(), Whole(blurred), 1);
    EXPECT_NEAR(grid / all, 1.0, 0.05) << "blur radius " << radius;
  }
}

TEST(FocusMeasure, SamplesAboutAHundredAndSixtyThousandPoints) {
  EXPECT_EQ(display::FocusSampleStep(2592, 1944), 6);
  EXPECT_EQ(display::FocusSampleStep(468, 358), 2);
  EXPECT_EQ(display::FocusSampleStep(300, 200), 1);
  EXPECT_EQ(display::FocusSampleStep(0, 0), 1);
}

TEST(FocusMeasure, MeasuresOnlyTheGivenArea) {
  // Detail on the left half, flat on the right.
  TestFrame frame = display_test::DetailedChart(400, 300);
  frame.Fill(200, 0, 400, 300, 120, 120, 120);
  EXPECT_GT(ComputeFocusMeasure(frame.Picture(), RECT{0, 0, 200, 300}), 10.0);
  EXPECT_EQ(ComputeFocusMeasure(frame.Picture(), RECT{200, 0, 400, 300}), 0.0);
  // An area reaching beyond the picture is cut to it.
  EXPECT_EQ(ComputeFocusMeasure(frame.Picture(), RECT{200, -50, 900, 900}), 0.0);
  EXPECT_EQ(ComputeFocusMeasure(frame.Picture(), RECT{-100, -100, 200, 300}),
            ComputeFocusMeasure(frame.Picture(), RECT{0, 0, 200, 300}));
}

TEST(FocusMeasure, NothingToMeasureGivesZero) {
  const TestFrame black(50, 50);
  const TestFrame chart = display_test::DetailedChart(50, 50);
  EXPECT_EQ(ComputeFocusMeasure(black.Picture(), RECT{0, 0, 50, 50}), 0.0);
  EXPECT_EQ(ComputeFocusMeasure(chart.Picture(), RECT{10, 10, 11, 40}), 0.0);  // one column: no neighbour
  EXPECT_EQ(ComputeFocusMeasure(chart.Picture(), RECT{40, 40, 10, 10}), 0.0);  // inverted
  EXPECT_EQ(ComputeFocusMeasure(display::BgrPicture{}, RECT{0, 0, 50, 50}), 0.0);
}

TEST(FocusPeak, KeepsTheHighestFigureUntilResetOrANewResolution) {
  display::FocusPeak peak;
  EXPECT_EQ(peak.BarFraction(), 0.0);
  peak.Add(40, 2592, 1944);
  peak.Add(80, 2592, 1944);
  peak.Add(60, 2592, 1944);
  EXPECT_EQ(peak.Value(), 60);
  EXPECT_EQ(peak.Peak(), 80);
  EXPECT_DOUBLE_EQ(peak.BarFraction(), 0.75);

  peak.Add(30, 1920, 1080);  // another part of the sensor
  EXPECT_EQ(peak.Peak(), 30);
  EXPECT_DOUBLE_EQ(peak.BarFraction(), 1.0);

  peak.Reset();  // the user's second press
  EXPECT_EQ(peak.Peak(), 0);
  peak.Add(20, 1920, 1080);
  EXPECT_EQ(peak.Peak(), 20);
}

}  // namespace
