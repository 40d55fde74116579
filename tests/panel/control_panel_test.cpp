// The control panel with the real video window, full-screen viewer and simulated camera in
// this process, driven through the commands and keys a user causes.
#include "panel/control_panel_dlg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "camera/registry_store.h"
#include "display/floater_dlg.h"
#include "display/q7_fullview.h"
#include "framework/registry_value.h"
#include "framework/win_app.h"
#include "imaging/frame_corrector.h"
#include "panel/snapshot_worker.h"
#include "resources/resource_ids.h"
#include "state/settings_key.h"
#include "tests/support/message_pump.h"
#include "tests/support/private_registry.h"

namespace {

using namespace std::chrono_literals;

// As the program's modal loop would run them.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 10000) {
  return testing_support::PumpUntil(done, limitMs);
}

class ControlPanel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.Ok());
    library_ = ::LoadLibraryW(L"Q7Resource.dll");
    ASSERT_NE(library_, nullptr);
    AfxSetResourceHandle(library_);
    state_.resourceLibrary = library_;
    state_.monitorCount = ::GetSystemMetrics(SM_CMONITORS);
    state_.virtualScreenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    state_.virtualScreenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    state_.frames.Refit(640, 480);
    camera_ = std::make_unique<CCamera>(
        state_, [this](const std::wstring& text, const std::wstring&, UINT) { messages_.push_back(text); });
    video_ = std::make_unique<CFloaterDlg>(state_);
    ASSERT_TRUE(video_->Create(IDD_VIDEO_WINDOW));
    fullView_ = std::make_unique<CQ7Fullview>(state_, [this] { video_->ViewBox().StartRenderThread(); });
    ASSERT_TRUE(fullView_->Create(IDD_FULL_VIEW));
    // Nothing is taken here, so the corrector's folder is never made.
    corrector_ = std::make_unique<q7::imaging::FrameCorrector>(q7::imaging::FrameCorrector::Options{
        (std::filesystem::temp_directory_path() / "q7-panel-test-corrections").wstring(), L""});
    panel_ = std::make_unique<CControlPanelDlg>(state_, *camera_, *video_, *fullView_, nullptr, corrector_.get());
    app_.m_pMainWnd = panel_.get();
  }

  void TearDown() override {
    panel_.reset();  // stops the panel's threads and closes the camera
    app_.m_pMainWnd = nullptr;
    fullView_.reset();
    video_.reset();
    camera_.reset();
    AfxSetResourceHandle(nullptr);
    if (library_) ::FreeLibrary(library_);
    ::SetEnvironmentVariableW(L"Q7SIM_OPEN_DELAY_MS", nullptr);
  }

  // Creates the panel as the program shows it and waits for the camera to open.
  void OpenPanel() {
    ASSERT_TRUE(panel_->Create(IDD_CONTROL_PANEL));
    ASSERT_TRUE(PumpUntil([&] { return Enabled(IDC_PLAY); })) << "the camera never opened";
  }
  bool Enabled(int id) const { return ::IsWindowEnabled(panel_->GetDlgItem(id)) != FALSE; }
  void Command(int id) const {
    panel_->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(panel_->GetDlgItem(id)));
  }

  testing_support::PrivateCurrentUser registry_;
  CWinApp app_;
  HMODULE library_ = nullptr;
  AppState state_;
  std::vector<std::wstring> messages_;
  std::unique_ptr<CCamera> camera_;
  std::unique_ptr<CFloaterDlg> video_;
  std::unique_ptr<CQ7Fullview> fullView_;
  std::unique_ptr<q7::imaging::FrameCorrector> corrector_;
  std::unique_ptr<CControlPanelDlg> panel_;
};

TEST_F(ControlPanel, InitialisationOpensTheCameraAndSetsTheButtonStates) {
  OpenPanel();
  EXPECT_EQ(panel_->StatusText(), L"Success for initialized.");
  EXPECT_TRUE(messages_.empty());
  for (int id : {IDC_EXIT, IDC_HIDE, IDC_INFORMATION, IDC_PLAY}) EXPECT_TRUE(Enabled(id)) << id;
  for (int id : {IDC_STOP, IDC_SNAPSHOT, IDC_ZOOM_OUT, IDC_ZOOM_IN, IDC_FULL_SCREEN, IDC_IMAGE, IDC_RESOLUTION})
    EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_FALSE(::IsWindowVisible(panel_->GetDlgItem(IDC_RESOLUTION)));
  EXPECT_TRUE(video_->IsWindowVisible());
  EXPECT_EQ(state_.docked, 1);
  // The frame buffer follows the camera's resolution.
  ASSERT_TRUE(state_.frames.Read());
  EXPECT_EQ(state_.frames.Size().width, camera_->Width());
  RECT face = panel_->GetWindowRect();
  EXPECT_EQ(face.right - face.left, 274);
  EXPECT_EQ(face.bottom - face.top, 178);
  EXPECT_EQ(video_->GetWindowRect().left, face.right);
}

TEST_F(ControlPanel, PlayStopAndPlayAgainKeepFramesFlowingThroughOneHandOff) {
  OpenPanel();
  Command(IDC_PLAY);
  EXPECT_TRUE(panel_->HasHandOffThread());
  EXPECT_TRUE(PumpUntil([&] { return state_.frameReady == 1; })) << "no frame reached the frame buffer";
  for (int id : {IDC_STOP, IDC_SNAPSHOT, IDC_ZOOM_OUT, IDC_ZOOM_IN, IDC_FULL_SCREEN, IDC_IMAGE})
    EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_FALSE(Enabled(IDC_PLAY));

  Command(IDC_STOP);
  EXPECT_TRUE(PumpUntil([&] { return state_.frameReady == 0; }, 3000)) << "frames kept coming after Stop";
  EXPECT_TRUE(panel_->HasHandOffThread());  // it stays, idle, for the next Play
  Command(IDC_PLAY);
  EXPECT_TRUE(PumpUntil([&] { return state_.frameReady == 1; }));
}

TEST_F(ControlPanel, ZoomStopsAtItsBoundsAndKeepsTheButtonsInStep) {
  OpenPanel();
  Command(IDC_PLAY);
  state_.displayScale = 290.0;
  Command(IDC_ZOOM_IN);
  EXPECT_EQ(state_.displayScale, 300.0);
  EXPECT_EQ(panel_->StatusText(), L"Zoom In 10%");
  EXPECT_FALSE(Enabled(IDC_ZOOM_IN));
  Command(IDC_ZOOM_OUT);
  EXPECT_EQ(state_.displayScale, 290.0);
  EXPECT_TRUE(Enabled(IDC_ZOOM_IN));

  // The full-screen viewer took the scale to 10 while the zoom-out button stayed enabled.
  state_.displayScale = 10.0;
  Command(IDC_ZOOM_OUT);
  EXPECT_EQ(state_.displayScale, 10.0);
  EXPECT_EQ(panel_->StatusText(), L"Zoom Out 10%");
  EXPECT_FALSE(Enabled(IDC_ZOOM_OUT));
  // The wheel in full screen took it to 50: back in the video window, the panel zooms out again.
  state_.displayScale = 50.0;
  panel_->SendMessage(WM_LEAVE_FULL_SCREEN);
  EXPECT_TRUE(Enabled(IDC_ZOOM_OUT));
  // Stopped and played again at 300 %: zoom in stays off.
  state_.displayScale = 300.0;
  Command(IDC_STOP);
  Command(IDC_PLAY);
  EXPECT_FALSE(Enabled(IDC_ZOOM_IN));
  EXPECT_TRUE(Enabled(IDC_ZOOM_OUT));
}

TEST_F(ControlPanel, FullScreenRunsOneRenderThreadAtATime) {
  OpenPanel();
  Command(IDC_PLAY);
  ASSERT_TRUE(video_->ViewBox().IsRenderThreadRunning());
  Command(IDC_FULL_SCREEN);
  EXPECT_TRUE(fullView_->IsWindowVisible());
  EXPECT_TRUE(fullView_->IsRenderThreadRunning());
  EXPECT_FALSE(video_->ViewBox().IsRenderThreadRunning());
  EXPECT_EQ(fullView_->GetNotifyWindow(), panel_.get());

  // The viewer closing itself notifies the panel, which puts the video window's picture back.
  EXPECT_EQ(panel_->SendMessage(WM_LEAVE_FULL_SCREEN), 1);
  EXPECT_FALSE(fullView_->IsWindowVisible());
  EXPECT_FALSE(fullView_->IsRenderThreadRunning());
  EXPECT_TRUE(video_->ViewBox().IsRenderThreadRunning());

  Command(IDC_FULL_SCREEN);
  Command(IDC_FULL_SCREEN);  // the second press leaves again
  EXPECT_FALSE(fullView_->IsWindowVisible());
  EXPECT_TRUE(video_->ViewBox().IsRenderThreadRunning());
}

TEST_F(ControlPanel, RefitMessageSizesTheFrameBufferToTheCamera) {
  OpenPanel();
  state_.frames.Refit(640, 480);
  EXPECT_EQ(panel_->SendMessage(RefitFrameBufferMessage()), 1);
  EXPECT_EQ(state_.frames.Size().width, camera_->Width());
  EXPECT_EQ(state_.frames.Size().height, camera_->Height());
}

// DM_SETDEFID is the dialog's own message: setting the panel's default button leaves the
// picture alone.
TEST_F(ControlPanel, SettingTheDefaultButtonDoesNotRefitTheFrameBuffer) {
  OpenPanel();
  const std::uint64_t fitted = state_.frames.Generation();
  panel_->SendMessage(DM_SETDEFID, IDC_PLAY);
  EXPECT_EQ(state_.frames.Generation(), fitted);
  EXPECT_EQ(LOWORD(panel_->SendMessage(DM_GETDEFID)), IDC_PLAY);
}

// Only Escape keys are dropped: other messages whose wParam is 27 (a snapshot at 27 %, a
// timer or command numbered 27) go on to the panel.
TEST_F(ControlPanel, TheKeyFilterDropsOnlyEscapeKeys) {
  OpenPanel();
  MSG escape{panel_->GetDlgItem(IDC_PLAY), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  EXPECT_TRUE(panel_->PreTranslateMessage(&escape));
  for (UINT message : {WM_SNAPSHOT_PROGRESS, UINT{WM_TIMER}, UINT{WM_COMMAND}}) {
    MSG other{panel_->m_hWnd, message, VK_ESCAPE, 0, 0, {}};
    EXPECT_FALSE(panel_->PreTranslateMessage(&other)) << message;
  }
}

// Frames arrive but every one is black: the status line names the setting once, and lets go of
// the text when the picture is back.
TEST_F(ControlPanel, ABlackPictureIsReportedNamingTheSettingUntilItIsBack) {
  PropertyRecord stored{};
  SetDefaults(stored);
  stored.resolutionIndex = 9;
  stored.totalGain = 0.0;
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &stored.version, 4);
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &stored, sizeof stored);
  OpenPanel();
  Command(IDC_PLAY);
  const std::wstring told = L"The picture is black: the white-balance gain is 0.00.";
  EXPECT_TRUE(PumpUntil([&] { return panel_->StatusText() == told; }, 20000)) << panel_->StatusText();

  PropertyRecord bright = camera_->CurrentRecord();
  bright.totalGain = 1.0;
  camera_->ApplyProperties(bright, false);
  EXPECT_TRUE(PumpUntil([&] { return panel_->StatusText().empty(); }, 20000)) << panel_->StatusText();
}

// Escape and Enter do nothing in the panel; Alt+F4 closes it like its close button.
TEST_F(ControlPanel, OnlyAltF4EndsTheModalPanel) {
  static CControlPanelDlg* panel;
  static int stage;
  panel = panel_.get();
  stage = 0;
  ::SetTimer(nullptr, 1, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (!panel->m_hWnd) return;
    HWND target = panel->GetDlgItem(IDC_INFORMATION);
    if (stage == 0) {
      ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
      ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0);
    } else {
      ::KillTimer(nullptr, id);
      ::PostMessageW(target, WM_SYSKEYDOWN, VK_F4, 1 << 29);
    }
    ++stage;
  });
  EXPECT_EQ(panel_->DoModal(), IDOK);
  EXPECT_GE(stage, 2) << "Escape or Enter ended the panel";
}

// Closing while the camera is still being opened waits for the opening and then closes it.
TEST_F(ControlPanel, ClosingWhileTheCameraOpensClosesItAfterwards) {
  ::SetEnvironmentVariableW(L"Q7SIM_OPEN_DELAY_MS", L"800");
  ASSERT_TRUE(panel_->Create(IDD_CONTROL_PANEL));
  ASSERT_TRUE(PumpUntil([&] { return panel_->StatusText() == L"Initialize"; }));
  EXPECT_TRUE(panel_->DestroyWindow());
  EXPECT_FALSE(camera_->IsOpen());
}

}  // namespace

namespace {

// The right-click menu lists the live-information views with their keys, ticked while on;
// choosing one switches it and stores the choice in a value of its own.
TEST_F(ControlPanel, ContextMenuSwitchesTheLiveViewsAndStoresTheChoice) {
  OpenPanel();
  const auto items = panel_->ContextMenuItems();
  ASSERT_GE(items.size(), 3u);  // the live views first, then the series
  EXPECT_EQ(items[1].text, L"Histogram\tH");
  EXPECT_FALSE(items[1].checked);

  panel_->SendMessage(WM_COMMAND, MAKEWPARAM(kMenuHistogram, 0), 0);
  EXPECT_TRUE(state_.live.showHistogram);
  EXPECT_TRUE(panel_->ContextMenuItems()[1].checked);
  LiveInfo reloaded;
  LoadLiveViewChoices(reloaded);
  EXPECT_TRUE(reloaded.showHistogram);
  EXPECT_FALSE(reloaded.showInfoLine);

  panel_->SendMessage(WM_COMMAND, MAKEWPARAM(kMenuHistogram, 0), 0);
  EXPECT_FALSE(panel_->ContextMenuItems()[1].checked);
}

// The measuring overlays follow, with their keys, "Calibration…" and the burn-in.
TEST_F(ControlPanel, ContextMenuSwitchesTheMeasuringOverlaysAndStoresTheChoice) {
  OpenPanel();
  const auto find = [&](UINT command) {
    for (const MenuItem& item : panel_->ContextMenuItems())
      if (item.commandId == command) return item;
    return MenuItem{};
  };
  EXPECT_EQ(find(kMenuGrid).text, L"Grid\tG");
  EXPECT_EQ(find(kMenuCalibration).text, L"Calibration\u2026");
  EXPECT_FALSE(find(kMenuBurnIn).checked);
  panel_->SendMessage(WM_COMMAND, MAKEWPARAM(kMenuGrid, 0), 0);
  panel_->SendMessage(WM_COMMAND, MAKEWPARAM(kMenuBurnIn, 0), 0);
  EXPECT_TRUE(find(kMenuGrid).checked && find(kMenuBurnIn).checked);
  Measuring reloaded;
  LoadMeasureSwitches(reloaded);
  EXPECT_TRUE(reloaded.grid && reloaded.burnIn);
  EXPECT_FALSE(reloaded.scaleBar);
}

// A mnemonic given twice in one menu only moves between its items, so its key never chooses.
TEST_F(ControlPanel, NoTwoItemsOfTheRightClickMenuShareAMnemonic) {
  OpenPanel();
  const std::function<void(const std::vector<MenuItem>&)> check = [&](const std::vector<MenuItem>& menu) {
    std::wstring seen;
    for (const MenuItem& item : menu) {
      for (std::size_t at = item.text.find(L'&'); at != std::wstring::npos && at + 1 < item.text.size();
           at = item.text.find(L'&', at + 2)) {
        if (item.text[at + 1] == L'&') continue;
        const wchar_t key = static_cast<wchar_t>(towupper(item.text[at + 1]));
        EXPECT_EQ(seen.find(key), std::wstring::npos)
            << "'" << static_cast<char>(key) << "' again in " << std::string(item.text.begin(), item.text.end());
        seen += key;
        break;
      }
      check(item.submenu);
    }
  };
  check(panel_->ContextMenuItems());
}

}  // namespace
