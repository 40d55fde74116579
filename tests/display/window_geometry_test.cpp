#include "display/window_geometry.h"

#include <gtest/gtest.h>

namespace {

using display::ChooseFullScreenRect;
using display::ClassifyClosingKey;
using display::ClosingKey;
using display::SnapWindowPosition;

constexpr int kCx = 478, kCy = 368;  // the video window's skin size

// One 1920 x 1080 monitor, no panel.
display::SnapResult SnapAlone(int x, int y) { return SnapWindowPosition(x, y, kCx, kCy, 1920, 1080, 1, nullptr); }

TEST(ScreenEdgeSnap, PullsFromTenPixelsInsideAndFromAnyDistanceOutside) {
  EXPECT_EQ(SnapAlone(7, 300).x, 0);
  EXPECT_EQ(SnapAlone(-50, 300).x, 0);
  EXPECT_EQ(SnapAlone(10, 300).x, 10);
  EXPECT_EQ(SnapAlone(500, 9).y, 0);
  EXPECT_EQ(SnapAlone(500, -400).y, 0);
  // Right edge 5 pixels short of the screen's: flush with it.
  EXPECT_EQ(SnapAlone(1920 - kCx - 5, 300).x, 1920 - kCx);
  EXPECT_EQ(SnapAlone(1920 - kCx - 10, 300).x, 1920 - kCx - 10);
  EXPECT_EQ(SnapAlone(5000, 300).x, 1920 - kCx);
  EXPECT_EQ(SnapAlone(500, 1080 - kCy - 3).y, 1080 - kCy);
  EXPECT_FALSE(SnapAlone(7, 7).docked);
}

TEST(MonitorBoundarySnap, LeftOrRightEdgeLandsOnTheBoundary) {
  for (int x = 1911; x <= 1929; ++x)
    EXPECT_EQ(SnapWindowPosition(x, 300, kCx, kCy, 3840, 1080, 2, nullptr).x, 1920) << x;
  EXPECT_EQ(SnapWindowPosition(1910, 300, kCx, kCy, 3840, 1080, 2, nullptr).x, 1910);
  EXPECT_EQ(SnapWindowPosition(1930, 300, kCx, kCy, 3840, 1080, 2, nullptr).x, 1930);
  for (int right = 1911; right <= 1929; ++right)
    EXPECT_EQ(SnapWindowPosition(right - kCx, 300, kCx, kCy, 3840, 1080, 2, nullptr).x, 1920 - kCx) << right;
  // One monitor has no boundary.
  EXPECT_EQ(SnapWindowPosition(955, 300, kCx, kCy, 1920, 1080, 1, nullptr).x, 955);
}

TEST(MonitorBoundarySnap, WithThreeMonitorsOnlyTheFirstBoundaryAttracts) {
  EXPECT_EQ(SnapWindowPosition(1275, 300, kCx, kCy, 3840, 1080, 3, nullptr).x, 1280);
  EXPECT_EQ(SnapWindowPosition(2555, 300, kCx, kCy, 3840, 1080, 3, nullptr).x, 2555);
}

TEST(PanelSnap, EdgesWithinNinePixelsDockAndTenDoNot) {
  const RECT panel{1000, 500, 1274, 678};
  const auto snap = [&](int x, int y) { return SnapWindowPosition(x, y, kCx, kCy, 1920, 1080, 1, &panel); };

  auto r = snap(panel.right + 9, 320);  // left edge against the panel's right edge
  EXPECT_EQ(r.x, panel.right);
  EXPECT_TRUE(r.docked);
  r = snap(panel.right - 9, 320);
  EXPECT_EQ(r.x, panel.right);
  EXPECT_TRUE(r.docked);
  r = snap(panel.right + 10, 320);
  EXPECT_EQ(r.x, panel.right + 10);
  EXPECT_FALSE(r.docked);

  r = snap(panel.left - kCx + 4, 320);  // right edge against the panel's left edge
  EXPECT_EQ(r.x, panel.left - kCx);
  EXPECT_TRUE(r.docked);

  r = snap(200, panel.bottom + 6);  // top edge against the panel's bottom; no overlap in x needed
  EXPECT_EQ(r.y, panel.bottom);
  EXPECT_TRUE(r.docked);

  r = snap(200, panel.top - kCy - 8);  // bottom edge against the panel's top
  EXPECT_EQ(r.y, panel.top - kCy);
  EXPECT_TRUE(r.docked);
}

TEST(FullScreenRect, OneMonitorCoversTheWholeScreen) {
  const RECT r = ChooseFullScreenRect(1, 1920, 1080, RECT{1500, 900, 1978, 1268});
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 1920);
  EXPECT_EQ(r.bottom, 1080);
}

TEST(FullScreenRect, TwoMonitorsTakeTheHalfWithMoreOfTheVideoWindow) {
  const auto pick = [](RECT video) { return ChooseFullScreenRect(2, 3840, 1080, video); };
  RECT r = pick({100, 100, 578, 468});
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 1920);
  EXPECT_EQ(r.bottom, 1080);
  r = pick({2500, 100, 2978, 468});
  EXPECT_EQ(r.left, 1920);
  EXPECT_EQ(r.right, 3840);
  // Straddling the middle equally: the right half.
  r = pick({1920 - 239, 100, 1920 + 239, 468});
  EXPECT_EQ(r.left, 1920);
  EXPECT_EQ(r.right, 3840);
  // One pixel more on the left: the left half.
  r = pick({1920 - 240, 100, 1920 + 238, 468});
  EXPECT_EQ(r.left, 0);
  // Off both halves: the right half.
  r = pick({-900, -900, -400, -500});
  EXPECT_EQ(r.left, 1920);
}

TEST(ClosingKeys, EscapeEnterAndAltF4PressesClose) {
  EXPECT_EQ(ClassifyClosingKey(WM_KEYDOWN, VK_ESCAPE), ClosingKey::Press);
  EXPECT_EQ(ClassifyClosingKey(WM_SYSKEYDOWN, VK_ESCAPE), ClosingKey::Press);
  EXPECT_EQ(ClassifyClosingKey(WM_KEYDOWN, VK_RETURN), ClosingKey::Press);
  EXPECT_EQ(ClassifyClosingKey(WM_SYSKEYDOWN, VK_F4), ClosingKey::Press);
}

TEST(ClosingKeys, RestOfAnEscapeStrokeIsKeptBack) {
  EXPECT_EQ(ClassifyClosingKey(WM_KEYUP, VK_ESCAPE), ClosingKey::Rest);
  EXPECT_EQ(ClassifyClosingKey(WM_CHAR, VK_ESCAPE), ClosingKey::Rest);
}

TEST(ClosingKeys, OtherKeysAndNonKeyboardMessagesPass) {
  EXPECT_EQ(ClassifyClosingKey(WM_KEYDOWN, VK_F4), ClosingKey::None);  // F4 without Alt
  EXPECT_EQ(ClassifyClosingKey(WM_KEYUP, VK_RETURN), ClosingKey::None);
  EXPECT_EQ(ClassifyClosingKey(WM_KEYDOWN, VK_ADD), ClosingKey::None);
  // A mouse move with both buttons, Shift and Ctrl held carries 27 in wParam too.
  EXPECT_EQ(ClassifyClosingKey(WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL), ClosingKey::None);
  EXPECT_EQ(ClassifyClosingKey(WM_TIMER, 27), ClosingKey::None);
}

}  // namespace
