// The measuring overlays in the two real picture windows: the keys switch them and the
// picture shows them, a left drag with the measuring tool draws a line on the sensor, and
// Delete or Escape clears the lines (in full screen Escape leaves only once there are none).
#include <gtest/gtest.h>

#include "display/floater_dlg.h"
#include "display/full_screen.h"
#include "display/measure_overlays.h"
#include "display/q7_fullview.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"
#include "tests/display/test_pixels.h"
#include "tests/support/private_registry.h"

namespace {

using display_test::PumpUntil;

// What the panel does when the viewer closes itself.
class FakePanel : public CWnd {
 public:
  FakePanel(CQ7Fullview& viewer, CFloaterDlg& video) : viewer_(viewer), video_(video) {
    window_ = display_test::MakeTestWindow(274, 178, L"panel");
    SubclassWindow(window_.get());
  }
  ~FakePanel() override { UnsubclassWindow(); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg != display::kFullViewClosedMessage) return CWnd::WindowProc(msg, wp, lp);
    display::LeaveFullScreen(viewer_, video_);
    return 1;
  }

 private:
  CQ7Fullview& viewer_;
  CFloaterDlg& video_;
  fw::UniqueWindow window_;
};

class MeasureWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.Ok());
    state_.monitorCount = 1;
    state_.virtualScreenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    state_.virtualScreenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    state_.frames.Refit(640, 480);
    display_test::PublishSolid(state_.frames, RGB(60, 60, 60));
    state_.frameReady = 1;
    state_.displayScale = 100;
    ASSERT_TRUE(video_.Create(IDD_VIDEO_WINDOW));
    ASSERT_TRUE(viewer_.Create(IDD_FULL_VIEW));
    video_.MoveWindow(600, 300, 478, 368);
    video_.ShowWindow(SW_SHOWNORMAL);
    app_.m_pMainWnd = &panel_;
    display_test::PumpFor(50);
  }
  void TearDown() override { app_.m_pMainWnd = nullptr; }

  HWND Picture() { return video_.ViewBox().m_hWnd; }
  void Key(HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 0);
    display_test::PumpFor(20);
  }
  // Pixels of `colour` in the window as the screen shows it.
  static int Count(HWND window, COLORREF colour) {
    const auto shot = display_test::CaptureClient(window);
    return shot->Count({0, 0, shot->width(), shot->height()}, colour, 0);
  }
  // While frames keep coming.
  bool Shows(HWND window, COLORREF colour, int atLeast) {
    return display_test::PumpFramesUntil(state_, [&] { return Count(window, colour) >= atLeast; });
  }
  bool ShowsNo(HWND window, COLORREF colour) {
    return display_test::PumpFramesUntil(state_, [&] { return Count(window, colour) == 0; });
  }
  // A real left-button drag across the window's client area.
  void Drag(HWND window, POINT from, POINT to) {
    const POINT a = display_test::ClientToScreenPoint(window, from), b = display_test::ClientToScreenPoint(window, to);
    display_test::SendMouse(0, a);
    display_test::SendMouse(MOUSEEVENTF_LEFTDOWN, a);
    display_test::PumpFor(30);
    display_test::SendMouse(0, {(a.x + b.x) / 2, (a.y + b.y) / 2});
    display_test::SendMouse(0, b);
    display_test::PumpFor(30);
    display_test::SendMouse(MOUSEEVENTF_LEFTUP, b);
    display_test::PumpFor(30);
  }

  testing_support::PrivateCurrentUser registry_;
  CWinApp app_;
  AppState state_;
  CFloaterDlg video_{state_};
  CQ7Fullview viewer_{state_, [this] { video_.ViewBox().StartRenderThread(); }};
  FakePanel panel_{viewer_, video_};
};

TEST_F(MeasureWindowTest, TheKeysSwitchTheOverlaysAndThePictureShowsThem) {
  Key(Picture(), 'S');
  Key(Picture(), 'C');
  Key(Picture(), 'G');
  Key(Picture(), 'M');
  EXPECT_TRUE(state_.measuring.scaleBar && state_.measuring.crosshair && state_.measuring.grid &&
              state_.measuring.measuringTool);
  EXPECT_TRUE(Shows(Picture(), display::kScaleBarColour, 40)) << "no scale bar";
  EXPECT_TRUE(Shows(Picture(), display::kCrosshairColour, 300)) << "no crosshair";
  EXPECT_TRUE(Shows(Picture(), display::kGridColour, 300)) << "no grid";
  // The choices are the user's for the next run too.
  Measuring nextRun;
  LoadMeasureSwitches(nextRun);
  EXPECT_TRUE(nextRun.scaleBar && nextRun.crosshair && nextRun.grid && nextRun.measuringTool);

  Key(Picture(), 'C');
  EXPECT_FALSE(state_.measuring.crosshair);
  EXPECT_TRUE(ShowsNo(Picture(), display::kCrosshairColour));
}

TEST_F(MeasureWindowTest, ALeftDragWithTheMeasuringToolDrawsALineAndDeleteClearsIt) {
  const RECT before = video_.GetWindowRect();
  state_.measuring.measuringTool = true;
  Drag(Picture(), {100, 120}, {300, 120});
  ASSERT_EQ(state_.measuring.measurements.Lines().size(), 1u);
  const SensorLine line = state_.measuring.measurements.Lines()[0];
  EXPECT_DOUBLE_EQ(line.to.x - line.from.x, 200.0);  // 100 %: a view pixel is a sensor pixel
  EXPECT_DOUBLE_EQ(line.to.y, line.from.y);
  const RECT after = video_.GetWindowRect();
  EXPECT_TRUE(::EqualRect(&before, &after)) << "the drag moved the window";
  EXPECT_TRUE(Shows(Picture(), display::kMeasureColour, 150));

  // A click draws nothing.
  Drag(Picture(), {50, 50}, {50, 50});
  EXPECT_EQ(state_.measuring.measurements.Lines().size(), 1u);

  Key(Picture(), VK_DELETE);
  EXPECT_TRUE(state_.measuring.measurements.Empty());
  EXPECT_TRUE(ShowsNo(Picture(), display::kMeasureColour));
}

TEST_F(MeasureWindowTest, InFullScreenTheLeftButtonMeasuresAndEscapeClearsTheLinesBeforeItLeaves) {
  state_.measuring.measuringTool = true;
  display::ToggleFullScreen(viewer_, video_, state_, &panel_);
  display_test::PumpFor(30);
  ASSERT_TRUE(viewer_.IsWindowVisible());
  // 640 x 480 at 100 %, centred on the screen.
  const int cx = state_.virtualScreenWidth / 2, cy = state_.virtualScreenHeight / 2;
  Drag(viewer_.m_hWnd, {cx - 100, cy + 50}, {cx + 100, cy + 50});
  ASSERT_EQ(state_.measuring.measurements.Lines().size(), 1u);
  EXPECT_EQ(state_.panX, 0) << "the drag panned";
  EXPECT_TRUE(Shows(viewer_.m_hWnd, display::kMeasureColour, 150));

  Key(viewer_.m_hWnd, VK_ESCAPE);
  EXPECT_TRUE(state_.measuring.measurements.Empty());
  EXPECT_TRUE(viewer_.IsWindowVisible()) << "the first Escape only clears the lines";
  Key(viewer_.m_hWnd, VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([&] { return !viewer_.IsWindowVisible(); }));
}

}  // namespace
