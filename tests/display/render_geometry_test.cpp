#include "display/render_geometry.h"

#include <gtest/gtest.h>

#include "display/zoom_steps.h"
#include "tests/display/geometry_expectations.h"

namespace {

using display::ComputeDragPan;
using display::ComputeNavigatorRect;
using display::ComputeRenderGeometry;
using display::PanOffset;
using display_test::ExpectRect;
using display_test::kCh;
using display_test::kCw;
using display_test::kH;
using display_test::kW;

TEST(RenderGeometry, NaturalSizeShowsTheTopLeftPartUncentred) {
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 100, 0, 0);
  EXPECT_EQ(g.sourceWidth, 468);
  EXPECT_EQ(g.sourceHeight, 358);
  EXPECT_EQ(g.destX, 0);
  EXPECT_EQ(g.destY, 0);
  EXPECT_EQ(g.panX, 0);
  EXPECT_EQ(g.panY, 0);
  ExpectRect(ComputeNavigatorRect(kW, kH, kCw, kCh, 100, g.panX, g.panY), 1, 16, 67, 61);
}

TEST(RenderGeometry, PanBeyondThePicturePullsBackToItsEdge) {
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 100, 1000, 1000);
  EXPECT_EQ(g.panX, 172);
  EXPECT_EQ(g.panY, 122);
  EXPECT_EQ(g.sourceX + g.sourceWidth, kW);
  EXPECT_EQ(g.sourceY + g.sourceHeight, kH);
  ExpectRect(ComputeNavigatorRect(kW, kH, kCw, kCh, 100, g.panX, g.panY), 25, 1, 91, 46);
}

TEST(RenderGeometry, HalfScaleCentresThePictureAndResetsPan) {
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 50, 30, 40);
  EXPECT_EQ(g.sourceWidth, 936);
  EXPECT_EQ(g.sourceHeight, 716);
  EXPECT_EQ(g.destX, 74);
  EXPECT_EQ(g.destY, -59);
  EXPECT_EQ(g.panX, 0);
  EXPECT_EQ(g.panY, 0);
  EXPECT_EQ(g.sourceX, 0);
  EXPECT_EQ(g.sourceY, 0);
  // The view rectangle would exceed the box and is cut to 90 x 60.
  ExpectRect(ComputeNavigatorRect(kW, kH, kCw, kCh, 50, g.panX, g.panY), 1, 1, 91, 61);
}

TEST(RenderGeometry, DoubleScaleMovesTheSourceBySPixelsPerPanUnit) {
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 200, 50, 20);
  EXPECT_EQ(g.sourceWidth, 234);
  EXPECT_EQ(g.sourceHeight, 179);
  EXPECT_EQ(g.panX, 50);
  EXPECT_EQ(g.panY, 20);
  EXPECT_EQ(g.sourceX, 100);
  EXPECT_EQ(g.sourceY, 40);
  ExpectRect(ComputeNavigatorRect(kW, kH, kCw, kCh, 200, g.panX, g.panY), 15, 35, 48, 57);
}

TEST(RenderGeometry, OnlyTheAxisThatIsSmallerThanTheViewIsCentred) {
  // A wide, flat picture: at 100 % it is wider than the view but shorter.
  const auto g = ComputeRenderGeometry(1000, 200, kCw, kCh, 100, 10, 10);
  EXPECT_EQ(g.destX, 0);
  EXPECT_EQ(g.panX, 10);
  EXPECT_LT(g.destY, 0);
  EXPECT_EQ(g.panY, 0);
  // Half of the empty height: (358 - 200) / 2.
  EXPECT_EQ(g.destY, -79);
}

TEST(RenderGeometry, PullBackRoundsDownForFractionalScales) {
  // At 130 % the view shows exactly 360 picture columns; (640 - 360) / 1.3 = 215.4.
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 130, 500, 0);
  EXPECT_EQ(g.sourceWidth, 360);
  EXPECT_EQ(g.panX, 215);
  EXPECT_EQ(g.sourceX, 279);  // 215 * 1.3 = 279.5, truncated
}

TEST(RenderGeometry, NegativePanNeverShowsLeftOfThePicture) {
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 100, -40, -3);
  EXPECT_EQ(g.panX, 0);
  EXPECT_EQ(g.panY, 0);
  EXPECT_EQ(g.sourceX, 0);
}

TEST(RenderGeometry, FullSensorFrameInALargeView) {
  const auto g = ComputeRenderGeometry(2592, 1944, 1920, 1080, 100, 99999, 99999);
  EXPECT_EQ(g.sourceWidth, 1920);
  EXPECT_EQ(g.sourceHeight, 1080);
  EXPECT_EQ(g.panX, 672);
  EXPECT_EQ(g.panY, 864);
}

TEST(NavigatorRect, ViewExactlyAsWideAsTheBoxKeepsItsWidth) {
  // cw * 91 / (W * s) is exactly 91 when the view shows the whole picture width.
  const RECT r = ComputeNavigatorRect(kW, kH, kW, kH, 100, 0, 0);
  EXPECT_EQ(r.right - r.left, 91);
  EXPECT_EQ(r.bottom - r.top, 61);
  ExpectRect(r, 1, 0, 92, 61);
}

TEST(NavigatorRect, BottomEdgeFollowsPanYUpward) {
  const RECT atBottom = ComputeNavigatorRect(kW, kH, kCw, kCh, 100, 0, 0);
  const RECT higher = ComputeNavigatorRect(kW, kH, kCw, kCh, 100, 0, 100);
  EXPECT_EQ(atBottom.bottom, 61);
  EXPECT_LT(higher.bottom, atBottom.bottom);
  EXPECT_EQ(higher.bottom - higher.top, atBottom.bottom - atBottom.top);
}

TEST(DragPan, PictureFollowsTheCursorOnBothAxes) {
  // Dragging left and down carries the picture along: the view moves right and up over it,
  // and pan Y counts upward.
  const PanOffset p = ComputeDragPan({100, 50}, {400, 300}, {390, 320}, kW, kH, kCw, kCh, 100);
  EXPECT_EQ(p, (PanOffset{110, 70}));
}

TEST(DragPan, NegativeOffsetsBecomeZero) {
  const PanOffset p = ComputeDragPan({10, 10}, {400, 300}, {500, 200}, kW, kH, kCw, kCh, 100);
  EXPECT_EQ(p, (PanOffset{0, 0}));
}

TEST(DragPan, UpperEndClampsLikeTheRenderer) {
  const PanOffset p = ComputeDragPan({0, 0}, {1000, 0}, {0, 1000}, kW, kH, kCw, kCh, 100);
  EXPECT_EQ(p, (PanOffset{172, 122}));
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 100, p.x, p.y);
  EXPECT_EQ(g.panX, p.x);
  EXPECT_EQ(g.panY, p.y);
}

TEST(DragPan, TruncatesTowardZeroWhereTheRendererFloors) {
  // At 30 % the view shows 1560 columns of a 640-wide picture: (640 - 1560) / 0.3 = -3066.7.
  const PanOffset p = ComputeDragPan({0, 0}, {50, 0}, {0, 0}, kW, kH, kCw, kCh, 30);
  EXPECT_EQ(p.x, -3066);
  // The renderer then resets that axis and centres the picture.
  EXPECT_EQ(ComputeRenderGeometry(kW, kH, kCw, kCh, 30, p.x, p.y).panX, 0);
}

TEST(DragPan, WithoutAPictureOnlyKeepsNonNegative) {
  const PanOffset p = ComputeDragPan({5, 5}, {0, 0}, {-3000, -9}, 0, 0, kCw, kCh, 100);
  EXPECT_EQ(p, (PanOffset{3005, 0}));
}

TEST(ScaleCaption, ShowsTheWholePercent) {
  EXPECT_EQ(display::FormatScaleCaption(300), L"Display Scale : 300%");
  EXPECT_EQ(display::FormatScaleCaption(100), L"Display Scale : 100%");
  EXPECT_EQ(display::FormatScaleCaption(10), L"Display Scale : 10%");
  EXPECT_EQ(display::FormatScaleCaption(99.6), L"Display Scale : 100%");
}

TEST(ScaleStep, TensWithinTenAndThreeHundred) {
  EXPECT_EQ(display::StepDisplayScale(100, +1), 110);
  EXPECT_EQ(display::StepDisplayScale(100, -1), 90);
  EXPECT_EQ(display::StepDisplayScale(300, +1), 300);
  EXPECT_EQ(display::StepDisplayScale(290, +1), 300);
  EXPECT_EQ(display::StepDisplayScale(10, -1), 10);
  EXPECT_EQ(display::StepDisplayScale(20, -1), 10);
  EXPECT_EQ(display::StepDisplayScale(150, 0), 150);
}

}  // namespace
