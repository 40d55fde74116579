#include "display/floater_dlg.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/render_geometry.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"
#include "tests/display/test_pixels.h"

namespace {

using display_test::ColourNear;
using display_test::PumpUntil;

constexpr COLORREF kPicture = RGB(40, 160, 90);

// A stand-in for the control panel: a plain window the application names its main window.
class FakePanel : public CWnd {
 public:
  FakePanel() {
    window_ = display_test::MakeTestWindow(274, 178, L"panel");
    SubclassWindow(window_.get());
  }
  ~FakePanel() override { UnsubclassWindow(); }

 private:
  fw::UniqueWindow window_;
};

class VideoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state_.monitorCount = 1;
    state_.virtualScreenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    state_.virtualScreenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    state_.frames.Refit(640, 480);
    display_test::PublishSolid(state_.frames, kPicture);
    ASSERT_TRUE(video_.Create(IDD_VIDEO_WINDOW));
    video_.MoveWindow(600, 300, 478, 368);
    video_.ShowWindow(SW_SHOWNORMAL);
    display_test::PumpFor(50);
  }

  HWND Picture() { return video_.ViewBox().m_hWnd; }
  RECT PictureInParent() {
    RECT r = video_.ViewBox().GetWindowRect();
    ::MapWindowPoints(nullptr, video_.m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  bool WaitForFrames(std::uint64_t more) {
    const auto target = video_.ViewBox().RenderThreadControl().FramesDrawn() + more;
    return display_test::PumpFramesUntil(
        state_, [&] { return video_.ViewBox().RenderThreadControl().FramesDrawn() >= target; });
  }

  CWinApp app_;
  AppState state_;
  CFloaterDlg video_{state_};
};

TEST_F(VideoWindowTest, IsCutToItsSkinWithThePictureFivePixelsInside) {
  EXPECT_TRUE(video_.ViewBox().IsRenderThreadRunning());  // started by the initialisation
  wchar_t title[64] = L"";
  ::GetWindowTextW(video_.m_hWnd, title, 64);
  EXPECT_STREQ(title, L"Vistal Viewer :: Floater");

  fw::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(video_.m_hWnd, shape.get()), ERROR);
  EXPECT_FALSE(::PtInRegion(shape.get(), 0, 0));  // the clipped corner
  EXPECT_TRUE(::PtInRegion(shape.get(), 239, 0));
  EXPECT_TRUE(::PtInRegion(shape.get(), 239, 184));

  const RECT pic = PictureInParent();
  const RECT client = video_.GetClientRect();
  EXPECT_EQ(pic.left, 5);
  EXPECT_EQ(pic.top, 5);
  EXPECT_EQ(pic.right, client.right - 5);
  EXPECT_EQ(pic.bottom, client.bottom - 5);
}

TEST_F(VideoWindowTest, ResizingAtTheRightEdgeKeepsThePictureInside) {
  const RECT before = video_.GetWindowRect();
  const int w = before.right - before.left;
  // Pointer on the right edge, press, drag 120 pixels outward, release.
  const POINT edge{w - 2, 150};
  video_.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(edge.x, edge.y));
  video_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(edge.x, edge.y));
  video_.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(edge.x + 120, edge.y));
  video_.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(edge.x + 120, edge.y));
  display_test::PumpFor(30);

  const RECT after = video_.GetWindowRect();
  EXPECT_EQ(after.right - after.left, edge.x + 120);  // the right edge follows the pointer
  EXPECT_EQ(after.left, before.left);
  const RECT pic = PictureInParent();
  EXPECT_EQ(pic.left, 5);
  EXPECT_EQ(pic.right, edge.x + 120 - 5);
  EXPECT_EQ(pic.bottom, after.bottom - after.top - 5);
}

TEST_F(VideoWindowTest, EscapeEnterAndAltF4DoNothing) {
  for (HWND target : {video_.m_hWnd, Picture()}) {
    ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(target, WM_CHAR, VK_ESCAPE, 0);
    ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(target, WM_SYSKEYDOWN, VK_F4, 1 << 29);
  }
  display_test::PumpFor(100);
  EXPECT_TRUE(video_.IsWindowVisible());
  EXPECT_TRUE(::IsWindow(video_.m_hWnd));
}

// R goes to whoever records (the panel), from the window and from its picture; held down, its
// repeats are not new presses.
TEST_F(VideoWindowTest, RIsHandedToTheRecordKeysHandler) {
  int presses = 0;
  video_.SetRecordKeyHandler([&] { ++presses; });
  for (HWND target : {video_.m_hWnd, Picture()}) ::PostMessageW(target, WM_KEYDOWN, 'R', 0);
  for (int repeat = 0; repeat < 5; ++repeat) ::PostMessageW(Picture(), WM_KEYDOWN, 'R', 0x40000001);
  display_test::PumpFor(100);
  EXPECT_EQ(presses, 2);
  video_.SetRecordKeyHandler({});
}

TEST_F(VideoWindowTest, RightButtonDragPansThePicture) {
  state_.displayScale = 100.0;
  state_.panX = 50;
  state_.panY = 40;
  const POINT start = display_test::ClientToScreenPoint(Picture(), {200, 150});
  display_test::SendMouse(0, start);
  display_test::SendMouse(MOUSEEVENTF_RIGHTDOWN, start);
  ASSERT_TRUE(PumpUntil([&] { return video_.ViewBox().IsPanning(); }));
  EXPECT_EQ(::GetCapture(), Picture());
  // Left by 30 and down by 20: the picture follows the cursor.
  display_test::SendMouse(0, {start.x - 30, start.y + 20});
  ASSERT_TRUE(PumpUntil([&] { return state_.panX == 80; }));
  EXPECT_EQ(state_.panY, 60);
  display_test::SendMouse(MOUSEEVENTF_RIGHTUP, {start.x - 30, start.y + 20});
  ASSERT_TRUE(PumpUntil([&] { return !video_.ViewBox().IsPanning(); }));
  EXPECT_NE(::GetCapture(), Picture());
  // Moves without the button leave the pan offset alone.
  display_test::SendMouse(0, start);
  display_test::PumpFor(50);
  EXPECT_EQ(state_.panX, 80);
}

TEST_F(VideoWindowTest, OpenHandCursorOverThePicture) {
  const LRESULT handled =
      ::SendMessageW(Picture(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Picture()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_TRUE(handled);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_OPEN_HAND)));
}

TEST_F(VideoWindowTest, LiveFrameShowsInThePictureAndStaysWhenFramesStop) {
  state_.frameReady = 1;
  ASSERT_TRUE(WaitForFrames(3));
  // A loaded X server may show the window later than the first frames reach it: frames keep
  // coming, as from a live camera, until one is on the screen.
  std::unique_ptr<display_test::Canvas> shot;
  EXPECT_TRUE(display_test::PumpFramesUntil(state_, [&] {
    shot = display_test::CaptureClient(Picture());
    return ColourNear(shot->At(200, 200), kPicture, 12) &&
           shot->Count({0, 0, 200, 24}, display::kCaptionColour, 0) > 20;
  })) << ColourNear(shot->At(200, 200), kPicture, 12);
  const int navLeft = shot->width() - 95;
  const COLORREF border = RGB(40 + (255 - 40) * 100 / 255, 160 + (255 - 160) * 100 / 255, 90 + (255 - 90) * 100 / 255);
  EXPECT_TRUE(ColourNear(shot->At(navLeft, 30), border, 3));

  state_.frameReady = 0;
  const auto& control = video_.ViewBox().RenderThreadControl();
  const auto passes = control.Passes();
  ASSERT_TRUE(PumpUntil([&] { return control.Passes() >= passes + 2; }));
  const auto frames = control.FramesDrawn();
  state_.redraw.Notify();
  ASSERT_TRUE(PumpUntil([&] { return control.Passes() >= passes + 5; }));
  EXPECT_EQ(control.FramesDrawn(), frames);
  EXPECT_TRUE(ColourNear(display_test::CaptureClient(Picture())->At(200, 200), kPicture, 12));
}

TEST_F(VideoWindowTest, RestartingAndRefittingWhileDrawingLeavesNothingBehind) {
  state_.frameReady = 1;
  ASSERT_TRUE(WaitForFrames(2));
  video_.ViewBox().StopRenderThread();
  const int threads = display_test::ThreadCount();
  const DWORD gdi = display_test::GdiObjectCount();
  for (int cycle = 0; cycle < 2; ++cycle) {
    EXPECT_TRUE(video_.ViewBox().StartRenderThread());
    for (const auto& size : {std::pair{2592, 1944}, std::pair{800, 600}}) {
      state_.frames.Refit(size.first, size.second);
      ASSERT_TRUE(WaitForFrames(1));
    }
    video_.ViewBox().StopRenderThread();
  }
  EXPECT_EQ(display_test::ThreadCount(), threads);
  EXPECT_EQ(display_test::GdiObjectCount(), gdi);
}

TEST_F(VideoWindowTest, LandsOnTheScreenEdgeWhenMovedNearIt) {
  video_.SetWindowPos(nullptr, 7, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(video_.GetWindowRect().left, 0);
  video_.SetWindowPos(nullptr, -50, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(video_.GetWindowRect().left, 0);
  EXPECT_EQ(video_.GetWindowRect().top, 0);
}

TEST_F(VideoWindowTest, DocksAgainstThePanelAndUndocksAwayFromIt) {
  FakePanel panel;
  app_.m_pMainWnd = &panel;
  panel.MoveWindow(300, 200, 274, 178);
  video_.SetWindowPos(nullptr, 574 + 6, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(video_.GetWindowRect().left, 574);
  EXPECT_EQ(state_.docked, 1);
  // Resizing without a move keeps it docked.
  video_.SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(state_.docked, 1);
  video_.SetWindowPos(nullptr, 574 + 10, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(video_.GetWindowRect().left, 584);
  EXPECT_EQ(state_.docked, 0);
  app_.m_pMainWnd = nullptr;
}

TEST_F(VideoWindowTest, SuppressedSnappingTakesPositionsAsTheyCome) {
  state_.docked = 1;
  video_.SetSnapSuppressed(TRUE);
  video_.SetWindowPos(nullptr, 7, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(video_.GetWindowRect().left, 7);
  EXPECT_EQ(state_.docked, 1);
  video_.SetSnapSuppressed(FALSE);
}

// The picture control alone, inside a window that records what reaches it.
class Recorder : public CWnd {
 public:
  std::vector<MSG> received;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_MOUSEMOVE)
      received.push_back({m_hWnd, msg, wp, lp, 0, {}});
    return CWnd::WindowProc(msg, wp, lp);
  }
};

TEST(ViewBoxAlone, LeftButtonAndPlainMovesGoToTheParentInItsOwnCoordinates) {
  AppState state;
  fw::UniqueWindow parentWindow = display_test::MakeTestWindow(300, 200);
  Recorder parent;
  ASSERT_TRUE(parent.SubclassWindow(parentWindow.get()));
  HWND child = ::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_BLACKRECT | SS_NOTIFY, 5, 5, 290, 190,
                                 parentWindow.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  CViewBox box(state);
  ASSERT_TRUE(box.SubclassWindow(child));

  ::SendMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34));
  ::SendMessageW(child, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(13, 35));
  ::SendMessageW(child, WM_LBUTTONUP, 0, MAKELPARAM(14, 36));
  ASSERT_EQ(parent.received.size(), 3u);
  EXPECT_EQ(parent.received[0].message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(parent.received[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(parent.received[0].lParam, MAKELPARAM(12, 34));
  EXPECT_EQ(parent.received[1].lParam, MAKELPARAM(13, 35));
  EXPECT_EQ(parent.received[2].message, static_cast<UINT>(WM_LBUTTONUP));

  // While the right button pans, moves stay with the picture.
  ::SendMessageW(child, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 50));
  ::SendMessageW(child, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(60, 50));
  EXPECT_EQ(parent.received.size(), 3u);
  ::SendMessageW(child, WM_RBUTTONUP, 0, MAKELPARAM(60, 50));
  EXPECT_FALSE(box.IsPanning());
  box.UnsubclassWindow();
  parent.UnsubclassWindow();
}

TEST(ViewBoxAlone, LosingTheCaptureEndsAPan) {
  AppState state;
  fw::UniqueWindow parentWindow = display_test::MakeTestWindow(300, 200);
  HWND child = ::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 5, 5, 290, 190,
                                 parentWindow.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  CViewBox box(state);
  ASSERT_TRUE(box.SubclassWindow(child));
  ::SendMessageW(child, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 50));
  EXPECT_TRUE(box.IsPanning());
  ::SetCapture(parentWindow.get());
  EXPECT_FALSE(box.IsPanning());
  ::ReleaseCapture();
  box.UnsubclassWindow();
}

}  // namespace
