// The JPEG quality setting: what the field accepts, the value kept per user, and its dialog
// made from the template and used as a user would.
#include "panel/jpeg_quality.h"

#include <gtest/gtest.h>

#include "framework/handles.h"
#include "framework/registry_value.h"
#include "framework/win_app.h"
#include "panel/jpeg_quality_dlg.h"
#include "resources/resource_ids.h"
#include "state/settings_key.h"
#include "tests/support/private_registry.h"

namespace {

TEST(JpegQuality, AcceptsOnlyAWholeNumberFrom1To100) {
  EXPECT_EQ(ParseJpegQuality(L"90"), 90);
  EXPECT_EQ(ParseJpegQuality(L" 1 "), 1);
  EXPECT_EQ(ParseJpegQuality(L"100"), 100);
  for (const wchar_t* wrong : {L"", L" ", L"0", L"101", L"1000", L"-5", L"9a", L"1.5", L"00001"})
    EXPECT_FALSE(ParseJpegQuality(wrong)) << wrong;
}

TEST(JpegQuality, IsKeptPerUserAndAnUnusableValueGivesNinety) {
  testing_support::PrivateCurrentUser registry;
  ASSERT_TRUE(registry.Ok());
  EXPECT_EQ(LoadJpegQuality(), 90) << "nothing stored";
  ASSERT_EQ(StoreJpegQuality(42), ERROR_SUCCESS);
  EXPECT_EQ(LoadJpegQuality(), 42);
  const DWORD tooHigh = 150;
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kJpegQualityValue, REG_DWORD, &tooHigh, sizeof tooHigh);
  EXPECT_EQ(LoadJpegQuality(), 90);
}

TEST(JpegQualityDialog, ShowsTheQualityAndClosesOnlyOnAGoodOne) {
  const fw::UniqueModule library(::LoadLibraryW(L"Q7Resource.dll"));
  ASSERT_TRUE(library);
  AfxSetResourceHandle(library.get());
  std::vector<std::wstring> told;
  CJpegQualityDlg dialog(75, nullptr, [&](HWND, const std::wstring& text) { told.push_back(text); });
  ASSERT_TRUE(dialog.Create(IDD_JPEG_QUALITY));
  dialog.ShowWindow(SW_SHOW);
  wchar_t shown[16] = L"";
  ::GetDlgItemTextW(dialog.m_hWnd, IDC_JPEG_QUALITY, shown, 16);
  EXPECT_STREQ(shown, L"75");

  ::SetDlgItemTextW(dialog.m_hWnd, IDC_JPEG_QUALITY, L"0");
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_EQ(told, std::vector<std::wstring>{kJpegQualityRangeText});
  EXPECT_TRUE(dialog.IsWindowVisible()) << "a wrong quality keeps the dialog open";

  ::SetDlgItemTextW(dialog.m_hWnd, IDC_JPEG_QUALITY, L"60");
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_FALSE(dialog.IsWindowVisible());
  EXPECT_EQ(dialog.Quality(), 60);
  AfxSetResourceHandle(nullptr);
}

}  // namespace
