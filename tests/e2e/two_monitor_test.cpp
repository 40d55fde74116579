// The real program on two 1920 x 1080 monitors side by side.
#include <windows.h>

#include <gtest/gtest.h>

#include "panel/panel_layout.h"
#include "resources/resource_ids.h"
#include "tests/e2e/viewer_session.h"

namespace {

using namespace std::chrono_literals;
using e2e::ViewerSession;
using e2e::WaitUntil;

class TwoMonitors : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::GetSystemMetrics(SM_CMONITORS), 2) << "this display does not have two monitors";
    ASSERT_EQ(::GetSystemMetrics(SM_CXVIRTUALSCREEN), 3840);
    e2e::ForgetStoredSettings();
    session_ = std::make_unique<ViewerSession>();
    ASSERT_TRUE(session_->WaitForWindows());
    ASSERT_TRUE(WaitUntil([&] { return session_->IsEnabled(IDC_PLAY); }));
  }
  void TearDown() override {
    if (session_ && session_->Panel()) {
      EXPECT_EQ(session_->Close(), 0u);
    }
  }
  // Enters full screen, notes what the viewer covers, and leaves again.
  RECT FullScreenRect() {
    session_->Click(IDC_FULL_SCREEN);
    RECT covered{};
    HWND viewer = session_->FindOtherWindow([&](HWND w) {
      ::GetWindowRect(w, &covered);
      return covered.right - covered.left >= 1920;
    });
    session_->Click(IDC_FULL_SCREEN);
    EXPECT_TRUE(WaitUntil([&] { return viewer && !::IsWindowVisible(viewer); }));
    return covered;
  }

  std::unique_ptr<ViewerSession> session_;
};

TEST_F(TwoMonitors, PanelAndVideoWindowAreCentredOnTheFirstMonitor) {
  RECT panel{}, video{};
  ::GetWindowRect(session_->Panel(), &panel);
  ::GetWindowRect(session_->Video(), &video);
  EXPECT_EQ(panel.left, (1920 - 274 - (video.right - video.left)) / 2);
  EXPECT_EQ(video.left, panel.right);
  EXPECT_LE(video.right, 1920);
}

TEST_F(TwoMonitors, FullScreenCoversTheMonitorHoldingTheVideoWindow) {
  session_->Click(IDC_PLAY);
  ASSERT_TRUE(WaitUntil([&] { return session_->IsEnabled(IDC_FULL_SCREEN); }));
  RECT covered = FullScreenRect();
  EXPECT_EQ(covered.left, 0);
  EXPECT_EQ(covered.right, 1920);

  // The video window moved wholly onto the second monitor: full screen follows it.
  ::SetWindowPos(session_->Video(), nullptr, 2400, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(WaitUntil([&] {
    RECT r{};
    ::GetWindowRect(session_->Video(), &r);
    return r.left >= 1920;
  }));
  covered = FullScreenRect();
  EXPECT_EQ(covered.left, 1920);
  EXPECT_EQ(covered.right, 3840);
}

}  // namespace
