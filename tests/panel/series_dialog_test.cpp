// The "Capture series" dialog made from its template, filled and started as a user would.
#include "panel/series_dlg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "framework/handles.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"

namespace {

namespace fs = std::filesystem;

class SeriesDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(::LoadLibraryW(L"Q7Resource.dll"));
    ASSERT_TRUE(library_);
    AfxSetResourceHandle(library_.get());
    folder_ = fs::temp_directory_path() / "q7-series-dialog";
    fs::create_directories(folder_);
    std::ofstream(folder_ / "shot_0041.png") << "x";
  }
  void TearDown() override {
    AfxSetResourceHandle(nullptr);
    fs::remove_all(folder_);
  }
  std::wstring Text(const CSeriesDlg& dialog, int id) const {
    wchar_t text[MAX_PATH] = L"";
    ::GetDlgItemTextW(dialog.m_hWnd, id, text, MAX_PATH);
    return text;
  }

  fw::UniqueModule library_;
  fs::path folder_;
};

TEST_F(SeriesDialog, ShowsTheChoicesAndStartsOnlyWithGoodFields) {
  std::vector<std::wstring> told;
  CSeriesDlg dialog({folder_.wstring(), L"PNG", 1500, 0, L"shot"}, nullptr,
                    [&](HWND, const std::wstring& text) { told.push_back(text); });
  ASSERT_TRUE(dialog.Create(IDD_CAPTURE_SERIES));
  dialog.ShowWindow(SW_SHOW);
  EXPECT_EQ(Text(dialog, IDC_SERIES_INTERVAL), L"1.5");
  EXPECT_EQ(::IsDlgButtonChecked(dialog.m_hWnd, IDC_SERIES_UNTIL_STOPPED), BST_CHECKED);
  EXPECT_FALSE(::IsWindowEnabled(dialog.GetDlgItem(IDC_SERIES_COUNT)));
  EXPECT_EQ(Text(dialog, IDC_SERIES_FORMAT), L"PNG (*.PNG)");
  EXPECT_EQ(Text(dialog, IDC_SERIES_FIRST_FILE), L"First file: shot_0042.png");

  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_INTERVAL, L"0.2");
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(dialog.IsWindowVisible()) << "a wrong field keeps the dialog open";

  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_INTERVAL, L"2");
  ::SendDlgItemMessageW(dialog.m_hWnd, IDC_SERIES_UNTIL_STOPPED, BM_CLICK, 0, 0);
  EXPECT_TRUE(::IsWindowEnabled(dialog.GetDlgItem(IDC_SERIES_COUNT)));
  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_COUNT, L"5");
  ::SetDlgItemTextW(dialog.m_hWnd, IDC_SERIES_PREFIX, L"night");
  EXPECT_EQ(Text(dialog, IDC_SERIES_FIRST_FILE), L"First file: night_0001.png");
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_EQ(told.size(), 1u);
  EXPECT_FALSE(dialog.IsWindowVisible());
  EXPECT_EQ(dialog.Choices().intervalMs, 2000);
  EXPECT_EQ(dialog.Choices().count, 5);
  EXPECT_EQ(dialog.Choices().prefix, L"night");
  EXPECT_EQ(dialog.Choices().extension, L"PNG");
}

}  // namespace
