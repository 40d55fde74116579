// The measuring overlays as drawn, off-screen: where the scale bar, the crosshair, the grid
// and a measured line land at several zooms and pans, and that nothing is drawn outside what
// the drawing reports (only that reaches the screen).
#include "display/measure_overlays.h"

#include <gtest/gtest.h>

#include "display/frame_renderer.h"
#include "tests/display/geometry_expectations.h"
#include "tests/display/test_pixels.h"

namespace {

using display::MeasureOverlays;
using namespace display_test;

constexpr COLORREF kGrey = RGB(100, 100, 100);
constexpr display::SensorPlacement kCentreMirrored{976, 732, true, false};  // 640 x 480 in the sensor's middle

class MeasureOverlaysTest : public ::testing::Test {
 protected:
  MeasureOverlaysTest() : frame_(kW, kH, 24) { PaintSolid(frame_, kGrey); }

  display::ViewPlacement Draw(const MeasureOverlays& overlays, double scale, display::PanOffset pan = {},
                              const display::LiveOverlays* live = nullptr) {
    display::DrawFrameOptions options;
    options.measure = &overlays;
    options.overlays = live;
    options.placement = kCentreMirrored;
    const auto g = display::DrawFrame(canvas_.dc(), {0, 0, kCw, kCh}, frame_, scale, pan, options);
    EXPECT_TRUE(g);
    return {*g, kCw, kCh, kW, kH, kCentreMirrored};
  }
  // The longest run of the scale bar's white in a row of the lower half: its row, end and length.
  struct Run {
    int row = -1, end = 0, length = 0;
  };
  Run Bar() const {
    Run best;
    for (int y = kCh / 2; y < kCh; ++y)
      for (int x = 0, run = 0; x < kCw; ++x) {
        run = canvas_.At(x, y) == display::kScaleBarColour ? run + 1 : 0;
        if (run > best.length) best = {y, x + 1, run};
      }
    return best;
  }

  FrameBlock frame_;
  Canvas canvas_{kCw, kCh};
};

TEST_F(MeasureOverlaysTest, TheScaleBarSitsBottomRightAsLongAsItsLabelSaysAboveTheInformationLine) {
  MeasureOverlays overlays;
  overlays.scaleBar = true;
  overlays.micronsPerPixel = 0.5;
  // 130 %: a quarter of the view is 45 µm, so the bar is 20 µm, 52 view pixels.
  const double perPixel = display::ViewPixelsPerPixel(Draw(overlays, 130));
  EXPECT_EQ(display::ChooseScaleBar(kCw, perPixel, 0.5)->label, L"20 \u00B5m");
  const Run bar = Bar();
  EXPECT_EQ(bar.length, 52);
  EXPECT_EQ(bar.end, kCw - 8);
  EXPECT_GE(bar.row, kCh - 8 - 5);
  display::LiveOverlays live;
  live.infoLine = L"Shown 15.0 fps";
  Draw(overlays, 130, {}, &live);
  EXPECT_LT(Bar().row, kCh - display::kInfoLineHeight - 8);
}

TEST_F(MeasureOverlaysTest, CrosshairAndGridPassThroughThePictureCentreOneBarLengthApart) {
  MeasureOverlays overlays;
  overlays.crosshair = overlays.grid = true;
  overlays.micronsPerPixel = 0.5;
  // 100 %: the picture's centre is view (320, 118); the bar is 50 µm, 100 pixels, and so is a cell.
  Draw(overlays, 100);
  EXPECT_EQ(canvas_.At(320, 300), display::kCrosshairColour);
  EXPECT_EQ(canvas_.At(100, 118), display::kCrosshairColour);
  for (const int x : {20, 120, 220, 420}) {
    EXPECT_EQ(canvas_.At(x, 150), display::kGridColour) << x;
    EXPECT_EQ(canvas_.At(x + 1, 150), kGrey) << x;
  }
  EXPECT_EQ(canvas_.At(60, 218), display::kGridColour);
  EXPECT_EQ(canvas_.At(60, 217), kGrey);
}

TEST_F(MeasureOverlaysTest, AMeasuredLineStaysOnTheSensorWhenTheViewZoomsAndPans) {
  MeasureOverlays overlays;
  overlays.lines = {{{1236, 982}, {1296, 1062}}};  // picture (380, 250) to (320, 330): in view each time
  for (const auto& [scale, pan] :
       {std::pair{100.0, display::PanOffset{}}, std::pair{200.0, display::PanOffset{150, 60}},
        std::pair{50.0, display::PanOffset{}}, std::pair{300.0, display::PanOffset{80, 40}}}) {
    canvas_.Fill(RGB(0, 0, 0));
    const auto view = Draw(overlays, scale, pan);
    const PointD a = display::SensorToView(view, overlays.lines[0].from);
    const PointD b = display::SensorToView(view, overlays.lines[0].to);
    const int x = static_cast<int>((a.x + b.x) / 2), y = static_cast<int>((a.y + b.y) / 2);
    EXPECT_GT(canvas_.Count({x - 1, y - 1, x + 2, y + 2}, display::kMeasureColour, 0), 0) << scale;
    EXPECT_EQ(canvas_.Count({x + 7, y + 5, x + 10, y + 8}, display::kMeasureColour, 0), 0) << scale;  // 10 px across
  }
}

TEST_F(MeasureOverlaysTest, NothingIsDrawnOutsideWhatTheDrawingReports) {
  MeasureOverlays overlays;
  overlays.scaleBar = overlays.crosshair = overlays.grid = true;
  overlays.micronsPerPixel = 2.2;
  overlays.lines = {{{1000, 800}, {1400, 1100}}, {{1500, 740}, {1600, 740}}};
  overlays.timeStamp = L"2026-12-08 14:03:22";
  const auto view = display::PlaceView(kCw, kCh, kW, kH, 70.0, {}, display::SensorPlacement{976, 732, false, true});
  canvas_.Fill(kGrey);
  std::vector<RECT> drawn;
  display::DrawMeasureMarks(canvas_.dc(), view, overlays, {}, drawn);
  display::DrawScaleBar(canvas_.dc(), view, overlays, {}, kCh, drawn);
  int changed = 0, outside = 0;
  for (int y = 0; y < kCh; ++y)
    for (int x = 0; x < kCw; ++x) {
      if (canvas_.At(x, y) == kGrey) continue;
      ++changed;
      const POINT p{x, y};
      outside += std::none_of(drawn.begin(), drawn.end(), [&](const RECT& r) { return ::PtInRect(&r, p); });
    }
  EXPECT_GT(changed, 1000);
  EXPECT_EQ(outside, 0);
}

}  // namespace
