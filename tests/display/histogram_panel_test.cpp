#include "display/histogram_panel.h"

#include <gtest/gtest.h>

#include "display/statistics_text.h"

namespace {

using display::FrameHistogram;
using display::LayoutHistogramPanel;

// 1000 counted pixels: most in the middle of every curve, `high` of them clipped at 255.
FrameHistogram Histogram(std::uint32_t high) {
  FrameHistogram h;
  h.samples = 1000;
  h.clippedHigh = high;
  h.clippedLow = 5;
  for (auto* bins : {&h.blue, &h.green, &h.red, &h.luminance}) {
    (*bins)[128] = 1000 - high;
    (*bins)[255] = high;
  }
  return h;
}

TEST(HistogramPanel, TurnsRedOnlyAboveOnePercentClippedAt255) {
  const auto atOnePercent = LayoutHistogramPanel(Histogram(10), 358);
  EXPECT_FALSE(atOnePercent.warning);
  EXPECT_EQ(atOnePercent.background, display::kHistogramPanelColour);
  const auto above = LayoutHistogramPanel(Histogram(11), 358);
  EXPECT_TRUE(above.warning);
  EXPECT_EQ(above.background, display::kHistogramWarningColour);
}

TEST(HistogramPanel, SitsInTheBottomLeftCornerWithTheFiguresUnderTheCurves) {
  const auto panel = LayoutHistogramPanel(Histogram(11), 358);
  EXPECT_EQ(panel.bounds.left, 3);
  EXPECT_EQ(panel.bounds.bottom, 355);
  EXPECT_EQ(panel.bounds.right - panel.bounds.left, display::kHistogramPanelWidth);
  EXPECT_EQ(panel.bounds.bottom - panel.bounds.top, display::kHistogramPanelHeight);
  EXPECT_EQ(panel.text, L"Clipped  0: 0.50 %   255: 1.10 %");
  EXPECT_GE(panel.textOrigin.y, panel.curves[0].points[0].y);
  EXPECT_LE(panel.textOrigin.y + display::kHistogramTextHeight, panel.bounds.bottom - panel.bounds.top);
}

TEST(HistogramPanel, CurvesShareOneScaleThatLeavesOutTheClippedEnds) {
  FrameHistogram h = Histogram(700);  // a large saturated area, higher than any other bin
  h.green[100] = 150;
  EXPECT_EQ(display::CurveScale(h), 300u);  // bin 128; bin 255 left out
  const auto panel = LayoutHistogramPanel(h, 358);
  const int top = display::kHistogramPanelPadding;
  const int bottom = top + display::kHistogramCurveHeight - 1;
  const auto& blue = panel.curves[0].points;
  const auto& green = panel.curves[1].points;
  EXPECT_EQ(blue[128].y, top);           // the highest bin reaches the top line
  EXPECT_EQ(blue[0].y, bottom);          // empty bins lie on the bottom line
  EXPECT_EQ(blue[255].y, top);           // clipped spike cut at the top, not rescaling the rest
  EXPECT_EQ(green[100].y, bottom - 40);  // half the scale: half of 79 rows, rounded
  for (int i = 0; i < 256; ++i) ASSERT_EQ(blue[i].x, display::kHistogramPanelPadding + i);
}

TEST(StatisticsText, InformationLineNamesTheCalibrationAndAddsThePointerWhenItIsOverThePicture) {
  display::InfoLineValues v;
  v.rates.shownPerSecond = 14.94;
  v.rates.cameraPerSecond = 15.0;
  v.rates.lost = 3;
  v.rates.megabytesPerSecond = 226.75;
  v.width = 2592, v.height = 1944, v.exposureUs = 20000, v.gainDb = 6.02;
  EXPECT_EQ(
      display::FormatInfoLine(v),
      L"Shown 14.9 fps   Camera 15.0 fps   Lost 3   226.8 MB/s   2592 x 1944   Exposure 20000 \u00B5s   Gain 6.0 dB"
      L"   No calibration");
  v.pointer = display::PointerProbe{{1296, 972}, {128, 64, 32}};
  v.calibration = Calibration{L"40x", 0.055};
  EXPECT_EQ(
      display::FormatInfoLine(v),
      L"Shown 14.9 fps   Camera 15.0 fps   Lost 3   226.8 MB/s   2592 x 1944   Exposure 20000 \u00B5s   Gain 6.0 dB"
      L"   Calibration 40x   X 1296  Y 972   R 128  G 64  B 32");
}

TEST(StatisticsText, FocusShowsTheFigureAndItsPeak) {
  EXPECT_EQ(display::FormatFocus(123.44, 140.26), L"Focus 123.4   Peak 140.3");
}

}  // namespace
