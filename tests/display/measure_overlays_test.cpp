// The measuring overlays as drawn, off-screen: where the scale bar, the crosshair, the grid
// and a measured line land in the view at several zooms and pans, and that everything drawn
// lies where the drawing said it drew (so only that needs to reach the screen).
#include "display/measure_overlays.h"

#include <gtest/gtest.h>

#include "display/frame_renderer.h"
#include "tests/display/geometry_expectations.h"
#include "tests/display/test_pixels.h"

namespace {

using display::MeasureOverlays;
using display_test::Canvas;
using display_test::kCh;
using display_test::kCw;
using display_test::kH;
using display_test::kW;

constexpr RECT kClient{0, 0, kCw, kCh};
constexpr COLORREF kGrey = RGB(100, 100, 100);
constexpr display::SensorPlacement kCentreMirrored{976, 732, true, false};  // 640 x 480 in the sensor's middle

class MeasureOverlaysTest : public ::testing::Test {
 protected:
  MeasureOverlaysTest() : frame_(kW, kH, 24) { display_test::PaintSolid(frame_, kGrey); }

  // The frame drawn with `overlays` at `scale` and `pan`; returns the placement drawn with.
  display::ViewPlacement Draw(const MeasureOverlays& overlays, double scale, display::PanOffset pan = {},
                              const display::LiveOverlays* live = nullptr) {
    display::DrawFrameOptions options;
    options.measure = &overlays;
    options.overlays = live;
    options.placement = kCentreMirrored;
    const auto g = display::DrawFrame(canvas_.dc(), kClient, frame_, scale, pan, options);
    EXPECT_TRUE(g);
    return {*g, kCw, kCh, kW, kH, kCentreMirrored};
  }

  // The longest run of exact `colour` in a row of the lower half: its row, first column and length.
  struct Run {
    int row = -1, left = 0, length = 0;
  };
  Run LongestRun(COLORREF colour) const {
    Run best;
    for (int y = kCh / 2; y < kCh; ++y)
      for (int x = 0; x < kCw;) {
        int end = x;
        while (end < kCw && canvas_.At(end, y) == colour) ++end;
        if (end - x > best.length) best = {y, x, end - x};
        x = end + 1;
      }
    return best;
  }

  FrameBlock frame_;
  Canvas canvas_{kCw, kCh};
};

TEST_F(MeasureOverlaysTest, TheScaleBarSitsBottomRightAsLongAsItsLabelSaysAtEveryZoom) {
  MeasureOverlays overlays;
  overlays.scaleBar = true;
  overlays.micronsPerPixel = 0.5;
  for (const double scale : {10.0, 50.0, 100.0, 130.0, 300.0}) {
    const auto placement = Draw(overlays, scale);
    const double perPixel = display::ViewPixelsPerPixel(placement);
    const auto bar = display::ChooseScaleBar(kCw, perPixel, 0.5);
    ASSERT_TRUE(bar);
    const Run run = LongestRun(display::kScaleBarColour);
    // Its label's length in view pixels, within one pixel; no longer than a quarter of the view.
    EXPECT_NEAR(run.length, bar->length / 0.5 * perPixel, 1.0) << scale;
    EXPECT_LE(run.length, kCw / 4 + 1) << scale;
    EXPECT_EQ(run.left + run.length, kCw - 8) << scale;
    EXPECT_GE(run.row, kCh - 8 - 5) << scale;
  }
}

TEST_F(MeasureOverlaysTest, TheScaleBarStaysAboveTheInformationLine) {
  MeasureOverlays overlays;
  overlays.scaleBar = true;  // no calibration: a bar of sensor pixels
  display::LiveOverlays live;
  live.infoLine = L"Shown 15.0 fps";
  Draw(overlays, 100, {}, &live);
  const Run run = LongestRun(display::kScaleBarColour);
  ASSERT_GT(run.length, 0);
  EXPECT_LT(run.row, kCh - display::kInfoLineHeight - 8);
  EXPECT_EQ(run.length, display::ChooseScaleBar(kCw, 1.0, std::nullopt)->pixels);
}

TEST_F(MeasureOverlaysTest, CrosshairAndGridPassThroughThePictureCentreOneBarLengthApart) {
  MeasureOverlays overlays;
  overlays.crosshair = true;
  overlays.grid = true;
  overlays.micronsPerPixel = 0.5;
  // 100 %, pan (0, 0): the picture's centre (320, 240) is view (320, 118); the bar is 50 µm,
  // 100 view pixels, and so is a grid cell.
  Draw(overlays, 100);
  EXPECT_EQ(canvas_.At(320, 300), display::kCrosshairColour);
  EXPECT_EQ(canvas_.At(100, 118), display::kCrosshairColour);
  for (const int x : {20, 120, 220, 420}) {
    EXPECT_EQ(canvas_.At(x, 150), display::kGridColour) << x;
    EXPECT_EQ(canvas_.At(x + 1, 150), kGrey) << x;
  }
  EXPECT_EQ(canvas_.At(60, 218), display::kGridColour);
  EXPECT_EQ(canvas_.At(60, 318), display::kGridColour);
  EXPECT_EQ(canvas_.At(60, 217), kGrey);
}

TEST_F(MeasureOverlaysTest, AMeasuredLineStaysOnTheSensorWhenTheViewZoomsAndPans) {
  MeasureOverlays overlays;
  // Picture (380, 250) to (320, 330), mirrored across onto the sensor: in view in every case.
  const SensorLine line{{1236, 982}, {1296, 1062}};
  overlays.lines = {line};
  for (const auto& [scale, pan] :
       {std::pair{100.0, display::PanOffset{0, 0}}, std::pair{200.0, display::PanOffset{150, 60}},
        std::pair{50.0, display::PanOffset{0, 0}}, std::pair{300.0, display::PanOffset{80, 40}}}) {
    canvas_.Fill(RGB(0, 0, 0));
    const auto placement = Draw(overlays, scale, pan);
    const PointD a = display::SensorToView(placement, line.from), b = display::SensorToView(placement, line.to);
    ASSERT_TRUE(a.x >= 0 && b.x < kCw && a.y >= 0 && b.y < kCh) << scale;  // the cases keep it in view
    const PointD middle{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const int x = static_cast<int>(middle.x), y = static_cast<int>(middle.y);
    EXPECT_GT(canvas_.Count({x - 1, y - 1, x + 2, y + 2}, display::kMeasureColour, 0), 0) << scale;
    // Nothing of it ten pixels across the line, away from its ends and its label.
    EXPECT_EQ(canvas_.Count({x + 7, y + 5, x + 10, y + 8}, display::kMeasureColour, 0), 0) << scale;
  }
}

TEST_F(MeasureOverlaysTest, EverythingDrawnLiesWhereTheDrawingSaidItDrew) {
  MeasureOverlays overlays;
  overlays.scaleBar = overlays.crosshair = overlays.grid = true;
  overlays.micronsPerPixel = 2.2;
  overlays.lines = {{{1000, 800}, {1400, 1100}}, {{1500, 740}, {1600, 740}}};
  overlays.timeStamp = L"2026-12-08 14:03:22";
  const display::ViewPlacement placement =
      display::PlaceView(kCw, kCh, kW, kH, 70.0, {0, 0}, display::SensorPlacement{976, 732, false, true});
  canvas_.Fill(kGrey);
  std::vector<RECT> drawn;
  display::DrawMeasureMarks(canvas_.dc(), placement, overlays, {}, drawn);
  display::DrawScaleBar(canvas_.dc(), placement, overlays, {}, kCh, drawn);
  ASSERT_FALSE(drawn.empty());
  int changed = 0, outside = 0;
  for (int y = 0; y < kCh; ++y)
    for (int x = 0; x < kCw; ++x) {
      if (canvas_.At(x, y) == kGrey) continue;
      ++changed;
      bool inside = false;
      const POINT p{x, y};
      for (const RECT& r : drawn) inside = inside || ::PtInRect(&r, p);
      outside += inside ? 0 : 1;
    }
  EXPECT_GT(changed, 1000);
  EXPECT_EQ(outside, 0);
}

}  // namespace
