// The "Capture series" dialog made from its template, filled and started as a user would.
#include "panel/series_dlg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/handles.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"

namespace {

TEST(SeriesDialog, ShowsTheChoicesAndTheFirstNameAndStartsOnlyWithGoodFields) {
  const fw::UniqueModule library(::LoadLibraryW(L"Q7Resource.dll"));
  ASSERT_TRUE(library);
  AfxSetResourceHandle(library.get());
  const auto folder = std::filesystem::temp_directory_path() / "q7-series-dialog";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "shot_0041.png") << "x";
  std::vector<std::wstring> told;
  CSeriesDlg dialog({folder.wstring(), L"PNG", 1500, 0, L"shot"}, nullptr,
                    [&](HWND, const std::wstring& text) { told.push_back(text); });
  ASSERT_TRUE(dialog.Create(IDD_CAPTURE_SERIES));
  dialog.ShowWindow(SW_SHOW);
  const auto text = [&](int id) {
    wchar_t buffer[MAX_PATH] = L"";
    ::GetDlgItemTextW(dialog.m_hWnd, id, buffer, MAX_PATH);
    return std::wstring(buffer);
  };
  EXPECT_EQ(text(IDC_SERIES_INTERVAL), L"1.5");
  EXPECT_FALSE(::IsWindowEnabled(dialog.GetDlgItem(IDC_SERIES_COUNT))) << "until stopped";
  EXPECT_EQ(text(IDC_SERIES_FIRST_FILE), L"First file: shot_0042.png");

  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_INTERVAL, L"0.2");
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_EQ(told.size(), 1u);
  EXPECT_TRUE(dialog.IsWindowVisible()) << "a wrong field keeps the dialog open";

  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_INTERVAL, L"2");
  ::SendDlgItemMessageW(dialog.m_hWnd, IDC_SERIES_UNTIL_STOPPED, BM_CLICK, 0, 0);
  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_COUNT, L"5");
  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_PREFIX, L"night");
  EXPECT_EQ(text(IDC_SERIES_FIRST_FILE), L"First file: night_0001.png");
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(dialog.IsWindowVisible());
  EXPECT_EQ(dialog.Choices().count, 5);
  AfxSetResourceHandle(nullptr);
  std::filesystem::remove_all(folder);
}

TEST(SeriesDialog, ATimeLapseTakesItsRateAndNamesOneAviFile) {
  const fw::UniqueModule library(::LoadLibraryW(L"Q7Resource.dll"));
  ASSERT_TRUE(library);
  AfxSetResourceHandle(library.get());
  const auto folder = std::filesystem::temp_directory_path() / "q7-series-time-lapse";
  std::filesystem::create_directories(folder);
  SeriesChoices initial{folder.wstring(), L"PNG", 2000, 0, L"night"};
  initial.playbackMilliFps = 12500;
  CSeriesDlg dialog(initial, nullptr, [](HWND, const std::wstring&) {});
  ASSERT_TRUE(dialog.Create(IDD_CAPTURE_SERIES));
  const auto text = [&](int id) {
    wchar_t buffer[MAX_PATH] = L"";
    ::GetDlgItemTextW(dialog.m_hWnd, id, buffer, MAX_PATH);
    return std::wstring(buffer);
  };
  EXPECT_EQ(text(IDC_SERIES_PLAYBACK_RATE), L"12.5");
  EXPECT_FALSE(::IsWindowEnabled(dialog.GetDlgItem(IDC_SERIES_PLAYBACK_RATE)));
  ::SendDlgItemMessageW(dialog.m_hWnd, IDC_SERIES_TIME_LAPSE, BM_CLICK, 0, 0);
  EXPECT_TRUE(::IsWindowEnabled(dialog.GetDlgItem(IDC_SERIES_PLAYBACK_RATE)));
  EXPECT_FALSE(::IsWindowEnabled(dialog.GetDlgItem(IDC_SERIES_FORMAT))) << "a time-lapse is JPEG in AVI";
  EXPECT_EQ(text(IDC_SERIES_FIRST_FILE), L"First file: night_0001.avi");
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(dialog.Choices().timeLapse);
  EXPECT_EQ(dialog.Choices().playbackMilliFps, 12500);
  AfxSetResourceHandle(nullptr);
  std::filesystem::remove_all(folder);
}

}  // namespace
