// The measuring tool in the real video window: its key switches it on, a left drag then draws a
// line on the sensor instead of moving the window, and Delete clears it. (Full screen and the
// other keys are driven end to end.)
#include <gtest/gtest.h>

#include "display/floater_dlg.h"
#include "display/measure_overlays.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"
#include "tests/display/test_pixels.h"
#include "tests/support/private_registry.h"

namespace {

class MeasureWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.Ok());
    state_.virtualScreenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);  // where the window snaps to
    state_.virtualScreenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    state_.frames.Refit(640, 480);
    display_test::PublishSolid(state_.frames, RGB(60, 60, 60));
    state_.frameReady = 1;
    ASSERT_TRUE(video_.Create(IDD_VIDEO_WINDOW));
    video_.MoveWindow(600, 300, 478, 368);
    video_.ShowWindow(SW_SHOWNORMAL);
    display_test::PumpFor(50);
  }

  HWND Picture() { return video_.ViewBox().m_hWnd; }
  void Key(WPARAM key) {
    ::PostMessageW(Picture(), WM_KEYDOWN, key, 0);
    display_test::PumpFor(20);
  }
  // Whether the picture on the screen shows that many pixels of `colour`, once frames made it so.
  bool Shows(COLORREF colour, int atLeast, int atMost = 1 << 30) {
    return display_test::PumpFramesUntil(state_, [&] {
      const auto shot = display_test::CaptureClient(Picture());
      const int n = shot->Count({0, 0, shot->width(), shot->height()}, colour, 0);
      return n >= atLeast && n <= atMost;
    });
  }

  testing_support::PrivateCurrentUser registry_;
  CWinApp app_;
  AppState state_;
  CFloaterDlg video_{state_};
};

TEST_F(MeasureWindowTest, WithTheMeasuringToolALeftDragDrawsALineAndDeleteClearsIt) {
  const RECT before = video_.GetWindowRect();
  Key('M');
  Measuring nextRun;  // the choice is the user's for the next run too
  LoadMeasureSwitches(nextRun);
  ASSERT_TRUE(state_.measuring.measuringTool && nextRun.measuringTool);
  const POINT from = display_test::ClientToScreenPoint(Picture(), {100, 120});
  for (const auto& [flags, x] : {std::pair{0, 0}, std::pair{MOUSEEVENTF_LEFTDOWN, 0}, std::pair{0, 100},
                                 std::pair{0, 200}, std::pair{MOUSEEVENTF_LEFTUP, 200}}) {
    display_test::SendMouse(static_cast<DWORD>(flags), {from.x + x, from.y});
    display_test::PumpFor(30);
  }
  const auto lines = state_.measuring.measurements.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].to.x - lines[0].from.x, 200.0);  // 100 %: a view pixel is a sensor pixel
  EXPECT_EQ(lines[0].to.y, lines[0].from.y);
  const RECT after = video_.GetWindowRect();
  EXPECT_TRUE(::EqualRect(&before, &after)) << "the drag moved the window";
  EXPECT_TRUE(Shows(display::kMeasureColour, 150));
  Key(VK_DELETE);
  EXPECT_TRUE(state_.measuring.measurements.Empty());
  EXPECT_TRUE(Shows(display::kMeasureColour, 0, 0));
}

}  // namespace
