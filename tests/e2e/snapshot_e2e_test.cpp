// Snapshots and timed series in the running program: written while the user goes on, series
// through the right-button menu and the series dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "panel/capture_series.h"
#include "panel/snapshot.h"
#include "tests/e2e/viewer_fixture.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::WaitUntil;

std::vector<char> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class ViewerSnapshots : public e2e::Viewer {
 protected:
  void TearDown() override {
    e2e::Viewer::TearDown();
    for (const fs::path& folder : folders_) fs::remove_all(folder);
  }

  // An empty folder beside the test program.
  fs::path Folder(const std::wstring& name) {
    folders_.push_back(fs::path(testing_support::ModuleFolder()) / name);
    fs::remove_all(folders_.back());
    fs::create_directories(folders_.back());
    return folders_.back();
  }

  // Plays, then saves a snapshot whose writing is held `delay` ms (Q7_SNAPSHOT_DELAY_MS); returns
  // once the status line says it is being saved.
  fs::path StartSlowSnapshot(const std::wstring& delay, const wchar_t* folder, const wchar_t* name) {
    StartWithCamera({L"Q7_SNAPSHOT_DELAY_MS=" + delay});
    StartPlaying();
    const fs::path target = Folder(folder) / name;
    SaveSnapshotAs(target.wstring());
    EXPECT_TRUE(WaitUntil([&] { return session_->Status().starts_with(L"Saving snapshot\u2026"); }));
    return target;
  }

  // Plays, then as a user: the right button on the panel's face, the menu item's key, the
  // dialog's fields and Start. A count of 0 is until stopped. Returns the series' folder.
  fs::path StartSeries(const std::vector<std::wstring>& environment, const wchar_t* folderName,
                       const wchar_t* extension, const wchar_t* interval, int count, const wchar_t* prefix) {
    StartWithCamera(environment);
    StartPlaying();
    const fs::path folder = Folder(folderName);
    RECT panel{};
    ::GetWindowRect(session_->Panel(), &panel);
    ::SetCursorPos(panel.left + 250, panel.top + 140);  // the face, away from every button
    e2e::RightClick();
    EXPECT_NE(session_->FindOtherWindow([](HWND w) { return testing_support::ClassName(w) == L"#32768"; }), nullptr);
    e2e::PressKey('P');  // "Ca&pture series…"
    HWND dialog = session_->FindOtherWindow([](HWND w) { return testing_support::WindowText(w) == L"Capture series"; });
    EXPECT_NE(dialog, nullptr) << "the menu did not open the series dialog";
    const auto formats = SnapshotFormats();
    const auto format = std::find_if(formats.begin(), formats.end(), [&](auto& f) { return f.extension == extension; });
    ::SendDlgItemMessageW(dialog, IDC_SERIES_FORMAT, CB_SETCURSEL, format - formats.begin(), 0);
    ::SetDlgItemTextW(dialog, IDC_SERIES_FOLDER, folder.wstring().c_str());
    ::SetDlgItemTextW(dialog, IDC_SERIES_INTERVAL, interval);
    ::SendDlgItemMessageW(dialog, IDC_SERIES_UNTIL_STOPPED, BM_SETCHECK, count == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SetDlgItemTextW(dialog, IDC_SERIES_COUNT, std::to_wstring(count).c_str());
    ::SetDlgItemTextW(dialog, IDC_SERIES_PREFIX, prefix);
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return folder;
  }

  // The status line once the series has ended ("Series done", "failed" or "stopped").
  std::wstring SeriesEnd() {
    std::wstring status;
    WaitUntil([&] { return (status = session_->Status()).starts_with(L"Series ") && status.find(L':') != status.npos; },
              90s);
    return status;
  }

  std::vector<fs::path> folders_;
};

// The GIF's writing is held for a few seconds; a Zoom In meanwhile shows long before the file
// is there.
TEST_F(ViewerSnapshots, AZoomDuringAGifSnapshotTakesEffectAtOnce) {
  const fs::path target = StartSlowSnapshot(L"4000", L"e2e-busy", L"busy.gif");
  session_->Click(IDC_ZOOM_IN);
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Zoom In 10%"; }));
  EXPECT_FALSE(fs::exists(target)) << "the zoom waited for the snapshot";
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Success for snapshot."; }, 30s));
  EXPECT_EQ(std::string(ReadAll(target).data(), 4), "GIF8");
}

// Closing while the snapshot is written: the program says it waits, then ends with the file whole.
TEST_F(ViewerSnapshots, ClosingWaitsForTheSnapshotBeingWritten) {
  const fs::path target = StartSlowSnapshot(L"3000", L"e2e-closing", L"last.bmp");
  session_->Click(IDC_EXIT);
  EXPECT_TRUE(WaitUntil([&] { return session_->Status() == L"Closing once the snapshots are saved\u2026"; }));
  EXPECT_EQ(session_->Program().WaitForExit(30s), 0u);
  EXPECT_EQ(fs::file_size(target), 15116598u);  // the whole 2592 x 1944 frame
  session_.reset();
}

TEST_F(ViewerSnapshots, ASeriesOfFivePngsLandsUnderItsNames) {
  const fs::path folder = StartSeries({}, L"e2e-series", L"PNG", L"1", 5, L"e2e");
  EXPECT_TRUE(SeriesEnd().starts_with(L"Series done: 5 saved")) << session_->Status();
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 5);
  std::vector<std::vector<char>> pictures;
  for (int number = 1; number <= 5; ++number) {
    pictures.push_back(ReadAll(folder / SeriesFileName(L"e2e", number, L"png")));
    ASSERT_GT(pictures.back().size(), 8u) << number;
    EXPECT_EQ(std::string(pictures.back().data() + 1, 3), "PNG");
    for (std::size_t i = 0; i + 1 < pictures.size(); ++i) EXPECT_NE(pictures[i], pictures.back()) << number;
  }
  // The choices are kept for next time.
  wchar_t prefix[16] = L"";
  DWORD size = sizeof prefix;
  ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\ORMELAN\\TK Lumora-Q7", L"SeriesPrefix", RRF_RT_REG_SZ, nullptr, prefix,
                 &size);
  EXPECT_STREQ(prefix, L"e2e");
}

TEST_F(ViewerSnapshots, ASeriesIntoAFolderThatGoesAwayStopsNamingTheFile) {
  const fs::path folder = StartSeries({}, L"e2e-vanishing", L"BMP", L"0.5", 0, L"gone");
  ASSERT_TRUE(WaitUntil([&] { return fs::exists(folder / L"gone_0002.bmp"); }, 30s));
  const fs::path moved = Folder(L"e2e-vanished");
  fs::remove(moved);
  fs::rename(folder, moved);
  HWND box = session_->FindOtherWindow(
      [&](HWND w) {
        return testing_support::ClassName(w) == L"#32770" &&
               testing_support::MessageBoxText(w).find(folder.wstring() + L"\\gone_") != std::wstring::npos;
      },
      30s);
  ASSERT_NE(box, nullptr) << "no message naming the file";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(SeriesEnd().starts_with(L"Series failed")) << session_->Status();
}

// Each picture is held 1.2 s (Q7_SNAPSHOT_DELAY_MS), more than two intervals: the series skips
// ticks and says how many, rather than falling behind.
TEST_F(ViewerSnapshots, AGifSeriesSlowerThanItsIntervalReportsSkippedFrames) {
  const fs::path folder = StartSeries({L"Q7_SNAPSHOT_DELAY_MS=1200"}, L"e2e-skipping", L"GIF", L"0.5", 3, L"fast");
  const std::wstring end = SeriesEnd();
  ASSERT_TRUE(end.starts_with(L"Series done: 3 saved, ")) << end;
  EXPECT_GE(std::stoi(end.substr(std::wstring(L"Series done: 3 saved, ").size())), 2) << end;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3);
}

}  // namespace
