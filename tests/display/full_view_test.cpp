#include "display/q7_fullview.h"

#include <gtest/gtest.h>

#include <memory>

#include "display/full_screen.h"
#include "display/live_overlays.h"
#include "display/live_view_keys.h"
#include "framework/win_app.h"
#include "imaging/frame_corrector.h"
#include "resources/resource_ids.h"
#include "tests/display/test_pixels.h"

namespace {

using display_test::PumpUntil;

// The control panel's part in full screen: the toggle command and the close notification.
class FakePanel : public CWnd {
 public:
  FakePanel(CQ7Fullview& viewer, CFloaterDlg& video) : viewer_(viewer), video_(video) {
    window_ = display_test::MakeTestWindow(274, 178, L"panel");
    SubclassWindow(window_.get());
  }
  ~FakePanel() override { UnsubclassWindow(); }
  int notifications = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == display::kFullViewClosedMessage) {
      ++notifications;
      display::LeaveFullScreen(viewer_, video_);
      return 1;
    }
    return CWnd::WindowProc(msg, wp, lp);
  }

 private:
  CQ7Fullview& viewer_;
  CFloaterDlg& video_;
  fw::UniqueWindow window_;
};

class FullViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.monitorCount = 1;
    state_.virtualScreenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    state_.virtualScreenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    state_.frames.Refit(640, 480);
    ASSERT_TRUE(video_.Create(IDD_VIDEO_WINDOW));
    ASSERT_TRUE(viewer_.Create(IDD_FULL_VIEW));
    video_.MoveWindow(300, 300, 478, 368);
    video_.ShowWindow(SW_SHOWNORMAL);
    app_.m_pMainWnd = &panel_;
    display_test::PumpFor(30);
  }
  void TearDown() override { app_.m_pMainWnd = nullptr; }

  void Enter() {
    display::ToggleFullScreen(viewer_, video_, state_, AfxGetMainWnd());
    display_test::PumpFor(30);
  }
  // Full screen at 50 % with frames of one colour flowing, until two are drawn.
  void EnterWithLiveFrames(COLORREF colour) {
    display_test::PublishSolid(state_.frames, colour);
    state_.frameReady = 1;
    state_.displayScale = 50;
    Enter();
    const auto& control = viewer_.RenderThreadControl();
    ASSERT_TRUE(display_test::PumpFramesUntil(state_, [&] { return control.FramesDrawn() >= 2; }));
  }
  void ExpectNormal() {
    EXPECT_FALSE(viewer_.IsWindowVisible());
    EXPECT_FALSE(viewer_.IsRenderThreadRunning());
    EXPECT_TRUE(video_.ViewBox().IsRenderThreadRunning());
  }

  CWinApp app_;
  AppState state_;
  CFloaterDlg video_{state_};
  CQ7Fullview viewer_{state_, [this] { video_.ViewBox().StartRenderThread(); }};
  FakePanel panel_{viewer_, video_};
};

TEST_F(FullViewTest, EnteringCoversTheScreenAndSwapsTheRenderThreads) {
  Enter();
  EXPECT_TRUE(viewer_.IsWindowVisible());
  const RECT r = viewer_.GetWindowRect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, state_.virtualScreenWidth);
  EXPECT_EQ(r.bottom, state_.virtualScreenHeight);
  EXPECT_TRUE(viewer_.IsRenderThreadRunning());
  EXPECT_FALSE(video_.ViewBox().IsRenderThreadRunning());
  EXPECT_EQ(viewer_.GetNotifyWindow(), &panel_);
  EXPECT_TRUE(video_.IsWindowVisible());  // stays where it is, behind the viewer
}

TEST_F(FullViewTest, TwoMonitorsTakeTheHalfHoldingTheVideoWindow) {
  state_.monitorCount = 2;
  state_.virtualScreenWidth = 3840;
  state_.virtualScreenHeight = 1080;
  video_.SetWindowPos(nullptr, 200, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Enter();
  RECT r = viewer_.GetWindowRect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, 1920);
  display::ToggleFullScreen(viewer_, video_, state_, &panel_);
  // Straddling the middle equally (the window is 478 wide): the right half.
  video_.SetWindowPos(nullptr, 1920 - 239, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_EQ(video_.GetWindowRect().left, 1920 - 239);
  Enter();
  r = viewer_.GetWindowRect();
  EXPECT_EQ(r.left, 1920);
  EXPECT_EQ(r.right, 3840);
}

TEST_F(FullViewTest, BackgroundIsBlackBeforeTheFirstFrame) {
  display_test::PublishSolid(state_.frames, RGB(255, 255, 255));
  state_.frameReady = 0;  // nothing drawn: the erased background shows
  Enter();
  viewer_.Invalidate(TRUE);
  ::UpdateWindow(viewer_.m_hWnd);
  const auto shot = display_test::CaptureClient(viewer_.m_hWnd);
  EXPECT_EQ(shot->Count({0, 0, 200, 200}, RGB(0, 0, 0), 0), 200 * 200);
  EXPECT_EQ(shot->At(shot->width() - 1, shot->height() - 1), RGB(0, 0, 0));
}

TEST_F(FullViewTest, ShowsTheLiveFrame) {
  ASSERT_NO_FATAL_FAILURE(EnterWithLiveFrames(RGB(200, 40, 40)));
  // 640 x 480 at 50 % on the screen: a 320 x 240 picture centred on black (the way-out hint
  // covers its middle for a few seconds).
  const auto shot = display_test::CaptureClient(viewer_.m_hWnd);
  EXPECT_TRUE(display_test::ColourNear(shot->At(shot->width() / 2, shot->height() / 2 + 80), RGB(200, 40, 40), 12));
  EXPECT_EQ(shot->At(shot->width() / 2, shot->height() - 2), RGB(0, 0, 0));
}

TEST_F(FullViewTest, AnUncoveredViewShowsTheLastPictureWhileStopped) {
  ASSERT_NO_FATAL_FAILURE(EnterWithLiveFrames(RGB(200, 40, 40)));
  state_.frameReady = 0;
  viewer_.Invalidate(TRUE);  // as when a window over it goes away
  ::UpdateWindow(viewer_.m_hWnd);
  const auto shot = display_test::CaptureClient(viewer_.m_hWnd);
  EXPECT_TRUE(display_test::ColourNear(shot->At(shot->width() / 2, shot->height() / 2 + 80), RGB(200, 40, 40), 12));
}

// Full screen entered after the camera was unplugged shows the last picture it gave.
TEST_F(FullViewTest, EnteredWhileTheCameraIsLostItShowsTheLastPicture) {
  display_test::PublishSolid(state_.frames, RGB(40, 160, 40));
  state_.frameReady = 0;
  state_.noSignal = true;
  state_.displayScale = 50;
  Enter();
  ASSERT_TRUE(display_test::PumpUntil([&] { return viewer_.RenderThreadControl().FramesDrawn() >= 1; }));
  const auto shot = display_test::CaptureClient(viewer_.m_hWnd);
  EXPECT_TRUE(display_test::ColourNear(shot->At(shot->width() / 2, shot->height() / 2 + 80), RGB(40, 160, 40), 12));
}

TEST_F(FullViewTest, EscapeEnterAndAltF4CloseAndTellThePanel) {
  const std::pair<UINT, WPARAM> keys[] = {{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, VK_RETURN}, {WM_SYSKEYDOWN, VK_F4}};
  int expected = 0;
  for (const auto& [message, key] : keys) {
    Enter();
    ASSERT_TRUE(viewer_.IsWindowVisible());
    ::PostMessageW(viewer_.m_hWnd, message, key, message == WM_SYSKEYDOWN ? (1 << 29) : 0);
    ASSERT_TRUE(PumpUntil([&] { return !viewer_.IsWindowVisible(); })) << key;
    EXPECT_EQ(panel_.notifications, ++expected);
    ExpectNormal();
  }
}

TEST_F(FullViewTest, TheCommandLeavesWithoutNotification) {
  Enter();
  display::ToggleFullScreen(viewer_, video_, state_, &panel_);
  ExpectNormal();
  EXPECT_EQ(panel_.notifications, 0);
}

TEST_F(FullViewTest, WheelAndKeypadZoomWithinTenAndThreeHundred) {
  Enter();
  const auto wheel = [&](int delta) {
    viewer_.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), 0);
  };
  const auto key = [&](WPARAM vk) {
    ::PostMessageW(viewer_.m_hWnd, WM_KEYDOWN, vk, 0);
    display_test::PumpFor(20);
  };
  state_.displayScale = 100;
  wheel(120);
  EXPECT_EQ(state_.displayScale, 110);
  wheel(-480);  // one step, whatever the delta
  EXPECT_EQ(state_.displayScale, 100);
  key(VK_ADD);
  EXPECT_EQ(state_.displayScale, 110);
  key(VK_SUBTRACT);
  key(VK_SUBTRACT);
  EXPECT_EQ(state_.displayScale, 90);
  key(VK_OEM_PLUS);  // the main keyboard's + and - do not zoom
  key(VK_OEM_MINUS);
  EXPECT_EQ(state_.displayScale, 90);

  state_.displayScale = 300;
  wheel(120);
  key(VK_ADD);
  EXPECT_EQ(state_.displayScale, 300);
  state_.displayScale = 10;
  wheel(-120);
  key(VK_SUBTRACT);
  EXPECT_EQ(state_.displayScale, 10);
  EXPECT_TRUE(viewer_.IsWindowVisible());
}

TEST_F(FullViewTest, LeftDragPansWithTheMouseCaptured) {
  state_.frames.Refit(2592, 1944);
  state_.displayScale = 100;
  state_.panX = 100;
  state_.panY = 100;
  Enter();
  const POINT start{900, 500};
  display_test::SendMouse(0, start);
  display_test::SendMouse(MOUSEEVENTF_LEFTDOWN, start);
  ASSERT_TRUE(PumpUntil([&] { return viewer_.IsPanning(); }));
  EXPECT_EQ(::GetCapture(), viewer_.m_hWnd);
  display_test::SendMouse(0, {start.x + 40, start.y - 25});
  ASSERT_TRUE(PumpUntil([&] { return state_.panX == 60; }));
  EXPECT_EQ(state_.panY, 75);
  display_test::SendMouse(MOUSEEVENTF_LEFTUP, {start.x + 40, start.y - 25});
  ASSERT_TRUE(PumpUntil([&] { return !viewer_.IsPanning(); }));
  EXPECT_NE(::GetCapture(), viewer_.m_hWnd);
}

TEST_F(FullViewTest, OpenHandCursorOverThePicture) {
  Enter();
  EXPECT_TRUE(
      viewer_.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(viewer_.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_OPEN_HAND)));
}

TEST(FullViewLifetime, DestroyingTheViewerStopsItsThread) {
  AppState state;
  state.frames.Refit(64, 48);
  state.frameReady = 1;
  const int threads = display_test::ThreadCount();
  auto viewer = std::make_unique<CQ7Fullview>(state, nullptr);
  ASSERT_TRUE(viewer->Create(IDD_FULL_VIEW));
  viewer->StartRenderThread();
  ASSERT_TRUE(display_test::PumpFramesUntil(state, [&] { return viewer->RenderThreadControl().FramesDrawn() >= 1; }));
  EXPECT_EQ(display_test::ThreadCount(), threads + 1);
  viewer.reset();
  EXPECT_EQ(display_test::ThreadCount(), threads);
}

}  // namespace

namespace {

// Entering full screen shows how to leave it in the picture for a few seconds, then not.
TEST_F(FullViewTest, EnteringShowsTheWayOutForAFewSeconds) {
  state_.frameReady = 1;
  Enter();
  const auto hintPixels = [&] {
    const auto shot = display_test::CaptureClient(viewer_.m_hWnd);
    const int cx = shot->width() / 2, cy = shot->height() / 2;
    return shot->Count({cx - 150, cy - 20, cx + 150, cy + 20}, display::kHintColour, 0);
  };
  EXPECT_TRUE(display_test::PumpFramesUntil(
      state_, [&] { return hintPixels() > 20; }, 3000))
      << "no hint";
  EXPECT_TRUE(display_test::PumpFramesUntil(
      state_, [&] { return hintPixels() == 0; }, 8000))
      << "the hint stays";
}

}  // namespace

namespace {

// A in the picture, in the video window and in full screen alike, steps the averaging.
TEST_F(FullViewTest, TheKeyAStepsTheAveragingInBothViews) {
  q7::imaging::FrameCorrector corrector;
  video_.SetCorrector(&corrector);
  viewer_.SetCorrector(&corrector);
  const auto press = [](HWND target) {
    ::PostMessageW(target, WM_KEYDOWN, 'A', 0);
    display_test::PumpFor(20);
  };
  press(video_.ViewBox().m_hWnd);
  EXPECT_EQ(corrector.Averaging(), 2);
  press(video_.m_hWnd);
  EXPECT_EQ(corrector.Averaging(), 4);
  Enter();
  for (const int expected : {8, 16, 32, 0}) {
    press(viewer_.m_hWnd);
    EXPECT_EQ(corrector.Averaging(), expected);
  }
  EXPECT_TRUE(viewer_.IsWindowVisible());
  EXPECT_EQ(display::AveragingHint(8), L"Averaging 8 frames");
  EXPECT_EQ(display::AveragingHint(0), L"Averaging off");
  video_.SetCorrector(nullptr);
  viewer_.SetCorrector(nullptr);
}

}  // namespace
