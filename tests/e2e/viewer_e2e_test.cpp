#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "camera/property_record.h"
#include "camera/registry_store.h"
#include "panel/panel_layout.h"
#include "resources/resource_ids.h"
#include "tests/e2e/viewer_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::Viewer;
using e2e::ViewerSession;
using e2e::WaitUntil;
using testing_support::ScreenPixels;

// Started only by killed_test_leaves_no_viewer.sh, which kills this test process as CTest does
// at a time-out and then looks for the viewer it left behind.
TEST(ViewerHarness, DISABLED_HangsWithTheViewerOpen) {
  ViewerSession session;
  ASSERT_TRUE(session.WaitForWindows());
  std::printf("viewer running\n");
  std::fflush(stdout);
  ::Sleep(INFINITE);
}

TEST_F(Viewer, StartsBesideTheVideoWindowAndOpensTheCamera) {
  // A slow camera, so the status line can be seen while it opens.
  session_ = std::make_unique<ViewerSession>(std::vector<std::wstring>{L"Q7SIM_OPEN_DELAY_MS=1500"});
  ASSERT_TRUE(session_->WaitForWindows());
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Initialize"; }, 5s));
  EXPECT_FALSE(session_->IsEnabled(IDC_PLAY));
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Success for initialized."; }));
  EXPECT_TRUE(session_->IsEnabled(IDC_PLAY));
  for (int id : {IDC_STOP, IDC_SNAPSHOT, IDC_ZOOM_OUT, IDC_ZOOM_IN, IDC_FULL_SCREEN, IDC_IMAGE})
    EXPECT_FALSE(session_->IsEnabled(id)) << id;

  RECT panel{}, video{}, workArea{};
  ::GetWindowRect(session_->Panel(), &panel);
  ::GetWindowRect(session_->Video(), &video);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  EXPECT_EQ(panel.right - panel.left, 274);
  EXPECT_EQ(panel.bottom - panel.top, 178);
  const PanelPlacement expected =
      PlacePanelAndVideo(::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CMONITORS), workArea.bottom,
                         SIZE{274, 178}, video.right - video.left);
  EXPECT_EQ(panel.left, expected.panel.x);
  EXPECT_EQ(panel.top, expected.panel.y);
  EXPECT_EQ(video.left, panel.right);
  EXPECT_EQ(video.top, panel.top);
  EXPECT_TRUE(::GetWindowLongW(session_->Panel(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Viewer, PlayShowsLiveFramesAndStopKeepsTheLastPicture) {
  StartWithCamera();
  StartPlaying();
  EXPECT_TRUE(PictureChanges()) << "the picture does not move";

  // The README's picture of the running program comes from here, showing the whole chart.
  for (int i = 0; i < 8; ++i) session_->Click(IDC_ZOOM_OUT);
  std::this_thread::sleep_for(500ms);
  RECT panel{}, video{};
  ::GetWindowRect(session_->Panel(), &panel);
  ::GetWindowRect(session_->Video(), &video);
  RECT both{panel.left - 8, std::min(panel.top, video.top) - 8, video.right + 8,
            std::max(panel.bottom, video.bottom) + 8};
  testing_support::SaveAsBmp(testing_support::CaptureScreen(both),
                             testing_support::ModuleFolder() + L"\\viewer-screenshot.bmp");

  session_->Click(IDC_STOP);
  ASSERT_TRUE(WaitUntil([&] { return session_->IsEnabled(IDC_PLAY); }));
  std::this_thread::sleep_for(1500ms);  // the hand-off's last grab times out, drawing stops
  const ScreenPixels stopped = session_->CapturePicture();
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(testing_support::DifferingShare(stopped, session_->CapturePicture()), 0.0);
  // The last picture stays: not the black of an empty view.
  std::size_t bright = 0;
  for (auto p : stopped.bgra) bright += (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF) > 150;
  EXPECT_GT(bright, stopped.bgra.size() / 4);
  for (int id : {IDC_STOP, IDC_SNAPSHOT, IDC_ZOOM_OUT, IDC_ZOOM_IN, IDC_FULL_SCREEN, IDC_IMAGE})
    EXPECT_FALSE(session_->IsEnabled(id)) << id;
}

TEST_F(Viewer, ZoomOutNineTimesReachesTenPercentAndDisablesTheButton) {
  StartWithCamera();
  StartPlaying();
  for (int i = 0; i < 9; ++i) {
    ASSERT_TRUE(session_->IsEnabled(IDC_ZOOM_OUT)) << "press " << i;
    session_->Click(IDC_ZOOM_OUT);
    EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Zoom Out 10%"; }));
  }
  EXPECT_TRUE(WaitUntil([&] { return !session_->IsEnabled(IDC_ZOOM_OUT); }));
  EXPECT_TRUE(session_->IsEnabled(IDC_ZOOM_IN));
  session_->Click(IDC_ZOOM_IN);
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Zoom In 10%" && session_->IsEnabled(IDC_ZOOM_OUT); }));
}

// Quick real clicks, as a user zooms: each one takes a step, none is lost as a double click.
TEST_F(Viewer, QuickClicksOnTheZoomButtonsTakeAStepEach) {
  StartWithCamera();
  StartPlaying();
  session_->ClickQuickly(IDC_ZOOM_OUT, 8);  // 100 % down to 20 %
  ASSERT_TRUE(session_->WaitForInputHandled());
  EXPECT_TRUE(session_->IsEnabled(IDC_ZOOM_OUT)) << "more than eight steps";
  session_->Click(IDC_ZOOM_OUT);
  EXPECT_TRUE(WaitUntil([&] { return !session_->IsEnabled(IDC_ZOOM_OUT); })) << "fewer than eight steps";

  session_->ClickQuickly(IDC_ZOOM_IN, 28);  // 10 % up to 290 %
  ASSERT_TRUE(session_->WaitForInputHandled());
  EXPECT_TRUE(session_->IsEnabled(IDC_ZOOM_IN)) << "more than 28 steps";
  session_->Click(IDC_ZOOM_IN);
  EXPECT_TRUE(WaitUntil([&] { return !session_->IsEnabled(IDC_ZOOM_IN); })) << "fewer than 28 steps";
}

TEST_F(Viewer, MovingTheDockedPanelCarriesTheVideoWindowAlong) {
  StartWithCamera();
  RECT panel{}, video{};
  ::GetWindowRect(session_->Panel(), &panel);
  ::GetWindowRect(session_->Video(), &video);
  // Drag the panel by its title band, as a user would.
  e2e::DragMouse(POINT{panel.left + 120, panel.top + 22}, POINT{panel.left + 180, panel.top + 62});
  RECT now{};
  EXPECT_TRUE(WaitUntil([&] {
    ::GetWindowRect(session_->Video(), &now);
    return now.left == video.left + 60 && now.top == video.top + 40;
  })) << "video moved from "
      << video.left << "," << video.top << " to " << now.left << "," << now.top << "; panel was at " << panel.left
      << "," << panel.top;
  RECT moved{};
  ::GetWindowRect(session_->Panel(), &moved);
  EXPECT_EQ(moved.left, panel.left + 60);
  EXPECT_EQ(moved.top, panel.top + 40);
}

TEST_F(Viewer, FullScreenShowsLiveFramesAndEscapeReturnsToTheVideoWindow) {
  StartWithCamera();
  StartPlaying();
  session_->Click(IDC_FULL_SCREEN);
  HWND viewer = session_->FindFullScreenViewer();
  ASSERT_NE(viewer, nullptr) << "no window covers the screen";
  EXPECT_TRUE(::GetWindowLongW(viewer, GWL_EXSTYLE) & WS_EX_TOPMOST);
  const RECT middle{860, 440, 1060, 640};
  const ScreenPixels first = testing_support::CaptureScreen(middle);
  EXPECT_TRUE(WaitUntil(
      [&] { return testing_support::DifferingShare(first, testing_support::CaptureScreen(middle)) > 0.0005; }, 5s));

  ::PostMessageW(viewer, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(viewer); }));
  const bool resumed = PictureChanges();
  EXPECT_TRUE(resumed) << "the video window's picture did not resume";
  if (!resumed) {
    const RECT screenRect{0, 0, 1920, 1080};
    testing_support::SaveAsBmp(testing_support::CaptureScreen(screenRect),
                               testing_support::ModuleFolder() + L"\\failed-full-screen.bmp");
  }
}

TEST_F(Viewer, SnapshotIsSavedThroughTheSaveDialog) {
  StartWithCamera();
  StartPlaying();
  const std::wstring target = testing_support::ModuleFolder() + L"\\e2e-snapshot.png";
  std::filesystem::remove(target);
  SaveSnapshotAs(target);
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Success for snapshot."; }, 20s));
  ASSERT_TRUE(std::filesystem::exists(target));
  std::ifstream png(std::filesystem::path(target), std::ios::binary);
  char signature[8] = {};
  png.read(signature, 8);
  EXPECT_EQ(std::string(signature + 1, 3), "PNG");
  png.close();
  std::filesystem::remove(target);
  EXPECT_FALSE(std::filesystem::exists(testing_support::ModuleFolder() + L"\\Q7Viewer.exeBitmap"));
}

// A name typed a key at a time, 250 characters long: the common dialog would overrun its
// buffer and take the program down; the name box stops where the path still fits, and the
// snapshot is saved under that name.
TEST_F(Viewer, ALongTypedNameIsCutWhereItFitsAndTheSnapshotSaved) {
  StartWithCamera();
  StartPlaying();
  const std::wstring folder = testing_support::ModuleFolder();
  const auto isOurs = [](const std::filesystem::path& p) { return p.filename().wstring().starts_with(L"aaaaaaaaaa"); };
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (isOurs(entry.path())) std::filesystem::remove(entry.path());
  }
  session_->Click(IDC_SNAPSHOT);
  HWND dialog = session_->FindOtherWindow([](HWND w) { return testing_support::ClassName(w) == L"#32770"; });
  ASSERT_NE(dialog, nullptr) << "no save dialog";
  // Into the build's folder first: a folder name and OK open that folder (before the call returns).
  HWND nameBox = ::GetDlgItem(dialog, 1148);  // the file-name combo box
  ASSERT_NE(nameBox, nullptr);
  ::SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  ::SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  ::SetForegroundWindow(dialog);
  std::vector<INPUT> keys;
  for (int i = 0; i < 251; ++i) {
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = i < 250 ? 'A' : VK_RETURN;
    keys.push_back(key);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    keys.push_back(key);
  }
  ::SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  const auto ended = [&] { return session_->Program().WaitForExit(0ms) != STILL_ACTIVE; };
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Success for snapshot." || ended(); }, 30s));
  ASSERT_FALSE(ended()) << "the program died";
  std::vector<std::filesystem::path> saved;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (isOurs(entry.path())) saved.push_back(entry.path());
  }
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(saved[0]), 15116598u);  // the whole 2592 x 1944 frame as a BMP
  EXPECT_LE(saved[0].wstring().size(), 259u);
  std::filesystem::remove(saved[0]);
}

TEST_F(Viewer, InformationShowsTheAboutBoxUntilAClickOnIt) {
  StartWithCamera();
  session_->Click(IDC_INFORMATION);
  HWND about = session_->FindOtherWindow([](HWND w) { return testing_support::WindowText(w) == L"About"; });
  ASSERT_NE(about, nullptr) << "no About box";
  RECT box{};
  ::GetWindowRect(about, &box);
  EXPECT_EQ(box.right - box.left, 500);
  EXPECT_EQ(box.bottom - box.top, 350);
  const RECT expected = PlaceAboutBox(box, ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                      ::GetSystemMetrics(SM_CYVIRTUALSCREEN), ::GetSystemMetrics(SM_CMONITORS));
  EXPECT_EQ(box.left, expected.left);
  EXPECT_EQ(box.top, expected.top);
  EXPECT_TRUE(::GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // While it is up, the panel waits.
  EXPECT_FALSE(::IsWindowEnabled(session_->Panel()));
  ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(250, 175));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(session_->Panel()) != FALSE; }));
}

TEST_F(Viewer, CancellingTheSnapshotWritesNothingAndKeepsTheStatus) {
  StartWithCamera();
  StartPlaying();
  const std::wstring before = session_->Status();
  session_->Click(IDC_SNAPSHOT);
  HWND dialog = session_->FindOtherWindow([](HWND w) { return testing_support::ClassName(w) == L"#32770"; });
  ASSERT_NE(dialog, nullptr) << "no save dialog";
  ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(session_->Status(), before);
  EXPECT_FALSE(std::filesystem::exists(testing_support::ModuleFolder() + L"\\Q7Viewer.exeBitmap"));
}

// Share of pixels below the caption and navigator band whose channels differ clearly.
double ColourfulShare(const ScreenPixels& pixels) {
  std::size_t colourful = 0, counted = 0;
  for (int y = 70; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      const COLORREF c = pixels.At(x, y);
      const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
      colourful += std::max({std::abs(r - g), std::abs(g - b), std::abs(r - b)}) > 24;
      ++counted;
    }
  }
  return counted ? static_cast<double>(colourful) / static_cast<double>(counted) : 0.0;
}

TEST_F(Viewer, MonoInThePropertyDialogTurnsTheLivePictureGrey) {
  StartWithCamera();
  StartPlaying();
  for (int i = 0; i < 8; ++i) session_->Click(IDC_ZOOM_OUT);  // 20 %: the whole chart with its colour bars
  ASSERT_TRUE(WaitUntil([&] { return ColourfulShare(session_->CapturePicture()) > 0.1; })) << "no colour to begin with";

  session_->Click(IDC_IMAGE);
  HWND dialog =
      session_->FindOtherWindow([](HWND w) { return testing_support::WindowText(w) == L"TK Lumora-Q7 Property"; });
  ASSERT_NE(dialog, nullptr) << "the property dialog did not open";
  // The dialog opens over the middle of the screen: put it and the video window apart, as a
  // user would, so the live picture can be seen while the setting changes.
  RECT box{};
  ::GetWindowRect(dialog, &box);
  ::SetWindowPos(dialog, nullptr, ::GetSystemMetrics(SM_CXSCREEN) - (box.right - box.left), 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  ::SetWindowPos(session_->Video(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(WaitUntil([&] {
    RECT video{}, moved{}, overlap{};
    ::GetWindowRect(session_->Video(), &video);
    ::GetWindowRect(dialog, &moved);
    return !::IntersectRect(&overlap, &video, &moved);
  }));
  ASSERT_TRUE(WaitUntil([&] { return ColourfulShare(session_->CapturePicture()) > 0.1; }));
  ::PostMessageW(::GetDlgItem(dialog, 1053), BM_CLICK, 0, 0);  // "Mono Color"
  EXPECT_TRUE(WaitUntil([&] { return ColourfulShare(session_->CapturePicture()) < 0.001; }))
      << "the live picture did not turn grey";
  // Grey, and still the live picture: bright parts, and moving.
  const ScreenPixels grey = session_->CapturePicture();
  EXPECT_GT(std::count_if(grey.bgra.begin(), grey.bgra.end(), [](std::uint32_t p) { return (p & 0xFF) > 100; }),
            static_cast<std::ptrdiff_t>(grey.bgra.size() / 10));
  EXPECT_TRUE(PictureChanges());
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
}

// Share of the process's processor time over `span`, in percent of one core, while the
// panel is asked every half second whether it still answers; false in `answered` if it once
// did not within two seconds.
double CpuPercentWhileAnswering(ViewerSession& session, std::chrono::milliseconds span, bool& answered) {
  const double cpuBefore = session.Program().CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  answered = true;
  while (std::chrono::steady_clock::now() - start < span) {
    DWORD_PTR result = 0;
    answered = answered && ::SendMessageTimeoutW(session.Panel(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result) != 0;
    std::this_thread::sleep_for(500ms);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return 100.0 * (session.Program().CpuSeconds() - cpuBefore) / seconds;
}

void DismissCantFindCamera(ViewerSession& session) {
  HWND box = session.FindOtherWindow([](HWND w) {
    return testing_support::ClassName(w) == L"#32770" && testing_support::MessageBoxText(w) == L"Can't find camera.";
  });
  ASSERT_NE(box, nullptr) << "no message box";
  // Owned by the panel, on its thread: the panel cannot be closed under it, and the status line
  // already says what the box says.
  EXPECT_EQ(::GetWindow(box, GW_OWNER), session.Panel());
  EXPECT_TRUE(WaitUntil([&] { return session.Status() == L"Can't find camera."; }));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

const wchar_t kSignalBroken[] = L"Camera's signal connection is broken. Please check up camera's cable.";

TEST_F(Viewer, WithoutACameraTheUserIsToldAndPlayStaysDisabled) {
  session_ = std::make_unique<ViewerSession>(std::vector<std::wstring>{L"Q7SIM_CAMERAS=0"});
  ASSERT_TRUE(session_->WaitForWindows());
  DismissCantFindCamera(*session_);
  EXPECT_FALSE(session_->IsEnabled(IDC_PLAY));
  EXPECT_TRUE(session_->IsEnabled(IDC_INFORMATION));
  // Still looking for a camera, once a second, without spinning.
  bool answered = false;
  const double cpu = CpuPercentWhileAnswering(*session_, 10s, answered);
  std::printf("process CPU while waiting for a camera: %.2f %%\n", cpu);
  RecordProperty("cpu_percent_waiting_for_camera", std::to_string(cpu));
  EXPECT_TRUE(answered);
  EXPECT_LT(cpu, 25.0) << "a thread spins while waiting";
  EXPECT_FALSE(session_->IsEnabled(IDC_PLAY));
}

TEST_F(Viewer, ACameraPluggedInFiveSecondsAfterTheStartPlaysWithoutARestart) {
  session_ =
      std::make_unique<ViewerSession>(std::vector<std::wstring>{L"Q7SIM_CAMERAS=0", L"Q7SIM_ARRIVE_AFTER_MS=5000"});
  ASSERT_TRUE(session_->WaitForWindows());
  DismissCantFindCamera(*session_);
  EXPECT_FALSE(session_->IsEnabled(IDC_PLAY));
  ASSERT_TRUE(WaitUntil([&] { return session_->IsEnabled(IDC_PLAY); }, 20s)) << "the camera was never opened";
  EXPECT_EQ(session_->Status(), L"Success for initialized.");
  StartPlaying();
  EXPECT_TRUE(PictureChanges()) << "the picture does not move";
}

TEST_F(Viewer, UnpluggedWhilePlayingAndBackThreeSecondsLaterPlaysOnWithTheStoredSettings) {
  // A setting the camera does not start with: mono.
  PropertyRecord stored{};
  SetDefaults(stored);
  stored.mono = 1;
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &stored.version, 4);
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &stored, sizeof stored);
  StartWithCamera({L"Q7SIM_UNPLUG_AFTER=50", L"Q7SIM_REPLUG_AFTER_MS=3000"});
  StartPlaying();
  for (int i = 0; i < 8; ++i) session_->Click(IDC_ZOOM_OUT);  // 20 %: the chart's colour bars in view
  ASSERT_TRUE(PictureChanges());
  EXPECT_LT(ColourfulShare(session_->CapturePicture()), 0.001) << "the stored mono setting was not applied";

  ASSERT_TRUE(WaitUntil([&] { return session_->Status() == kSignalBroken; }, 20s)) << "the loss was not reported";
  EXPECT_FALSE(session_->IsEnabled(IDC_PLAY));
  EXPECT_FALSE(session_->IsEnabled(IDC_STOP));
  // The last picture stays: not the black of an empty view.
  const ScreenPixels lost = session_->CapturePicture();
  std::size_t bright = 0;
  for (auto p : lost.bgra) bright += (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF) > 150;
  EXPECT_GT(bright, lost.bgra.size() / 10);

  ASSERT_TRUE(WaitUntil([&] { return session_->Status() == L"Success for initialized."; }, 20s))
      << "the camera was not re-opened";
  EXPECT_TRUE(WaitUntil([&] { return session_->IsEnabled(IDC_STOP) && !session_->IsEnabled(IDC_PLAY); }));
  EXPECT_TRUE(PictureChanges()) << "live frames did not return";
  EXPECT_LT(ColourfulShare(session_->CapturePicture()), 0.001) << "the re-opened camera lost the mono setting";
}

// A minute of waiting does what 15 seconds do: once the loss is reported, nothing changes but
// the watcher's look every second and the status line's wait notice after three; 15 seconds
// see both, and keep this test within the time one end-to-end test may take.
TEST_F(Viewer, UnpluggedForGoodTheProgramStaysResponsiveAndClosesCleanly) {
  StartWithCamera({L"Q7SIM_UNPLUG_AFTER=50"});
  StartPlaying();
  ASSERT_TRUE(WaitUntil([&] { return session_->Status() == kSignalBroken; }, 20s)) << "the loss was not reported";
  ASSERT_TRUE(WaitUntil([&] { return session_->Status() == L"Waiting for the camera..."; }));
  for (int id : {IDC_PLAY, IDC_STOP, IDC_IMAGE}) EXPECT_FALSE(session_->IsEnabled(id)) << id;
  for (int id : {IDC_SNAPSHOT, IDC_ZOOM_OUT, IDC_FULL_SCREEN}) EXPECT_TRUE(session_->IsEnabled(id)) << id;

  bool answered = false;
  const double cpu = CpuPercentWhileAnswering(*session_, 15s, answered);
  std::printf("process CPU while waiting for the lost camera: %.2f %%\n", cpu);
  RecordProperty("cpu_percent_waiting_for_lost_camera", std::to_string(cpu));
  EXPECT_TRUE(answered) << "the panel stopped answering";
  EXPECT_LT(cpu, 25.0) << "a thread spins while waiting";
  session_->Click(IDC_ZOOM_IN);
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Zoom In 10%"; }));
  // TearDown closes the program and expects exit code 0.
}

}  // namespace

namespace {

// Pixels of exactly `colour` within `area` of a capture.
int CountExactly(const ScreenPixels& shot, const RECT& area, COLORREF colour) {
  int n = 0;
  for (int y = std::max(0L, area.top); y < std::min<long>(shot.height, area.bottom); ++y)
    for (int x = std::max(0L, area.left); x < std::min<long>(shot.width, area.right); ++x) n += shot.At(x, y) == colour;
  return n;
}

}  // namespace

// I, H and F in the video window switch on the information line, the histogram and the
// focus aid, each drawn into the live picture; the choices are kept for the next start.
TEST_F(Viewer, LiveInformationViewsShowByTheirKeys) {
  StartWithCamera();
  StartPlaying();
  const auto press = [&](WPARAM key) { ::PostMessageW(session_->Video(), WM_KEYDOWN, key, 1); };
  const auto shows = [&](const RECT& area, COLORREF colour, int atLeast) {
    return WaitUntil([&] { return CountExactly(session_->CapturePicture(), area, colour) >= atLeast; });
  };
  const RECT picture = session_->PictureRect();
  const int w = picture.right - picture.left, h = picture.bottom - picture.top;

  press('I');  // white text along the bottom edge
  EXPECT_TRUE(shows({0, h - 18, w, h}, RGB(255, 255, 255), 60)) << "no information line";
  press('H');  // the curves, in their own colours, in the bottom-left corner above that line
  EXPECT_TRUE(shows({0, h - 150, 270, h - 18}, RGB(235, 235, 235), 40)) << "no histogram";
  press('F');  // the focus bar under the caption
  EXPECT_TRUE(shows({0, 20, 180, 60}, RGB(80, 220, 80), 40)) << "no focus bar";

  press('H');  // a second press switches it off again
  EXPECT_TRUE(WaitUntil([&] {
    return CountExactly(session_->CapturePicture(), {0, h - 130, 270, h - 18}, RGB(235, 235, 235)) < 5;
  }));
}

// The panel stays above the video window: after the window is dragged over it, and after
// full screen and Esc, the panel's status line still shows where the two overlap.
TEST_F(Viewer, ThePanelStaysAboveTheVideoWindow) {
  StartWithCamera();
  StartPlaying();
  RECT panel{}, video{};
  ::GetWindowRect(session_->Panel(), &panel);
  ::GetWindowRect(session_->Video(), &video);
  // Drag the picture 150 pixels to the left, over the right part of the panel.
  e2e::DragMouse(POINT{video.left + 200, video.top + 150}, POINT{video.left + 50, video.top + 150});
  RECT moved{};
  ASSERT_TRUE(WaitUntil([&] {
    ::GetWindowRect(session_->Video(), &moved);
    return moved.left < panel.right - 100;
  })) << "the video window was not dragged";
  const RECT statusLine{moved.left + 2, panel.top + 161, panel.left + 262, panel.top + 171};  // where they overlap
  const auto statusShows = [&] {
    return WaitUntil(
        [&] {
          const ScreenPixels now = testing_support::CaptureScreen(statusLine);
          const auto grey = std::count_if(now.bgra.begin(), now.bgra.end(),
                                          [](std::uint32_t p) { return (p & 0xFFFFFF) == 0x626262; });
          return grey > static_cast<long>(now.bgra.size() / 2);
        },
        5s);
  };

  const bool shownAfterDrag = statusShows();
  EXPECT_TRUE(shownAfterDrag) << "the picture covers the panel after the drag";
  if (!shownAfterDrag)
    testing_support::SaveAsBmp(testing_support::CaptureScreen({0, 0, 1920, 1080}),
                               testing_support::ModuleFolder() + L"\\failed-panel-order.bmp");

  session_->Click(IDC_FULL_SCREEN);
  HWND viewer = session_->FindFullScreenViewer();
  ASSERT_NE(viewer, nullptr);
  ::PostMessageW(viewer, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(viewer); }));
  const bool shownAfterFullScreen = statusShows();
  EXPECT_TRUE(shownAfterFullScreen) << "the picture covers the panel after full screen";
  if (!shownAfterFullScreen)
    testing_support::SaveAsBmp(testing_support::CaptureScreen({0, 0, 1920, 1080}),
                               testing_support::ModuleFolder() + L"\\failed-panel-order.bmp");
}
