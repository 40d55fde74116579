#include "framework/file_dialog.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogFilter, BarsBecomeSeparatorsWithADoubleTerminator) {
  const std::wstring converted = ConvertDialogFilter(L"Bitmap File (*.BMP) |*.BMP|PNG (*.PNG)|*.PNG|");
  using namespace std::string_literals;
  const std::wstring expected = L"Bitmap File (*.BMP) \0*.BMP\0PNG (*.PNG)\0*.PNG\0\0"s;
  EXPECT_EQ(converted, expected);
}

TEST(FileDialogFilter, ExtensionIsTakenFromTheFileNameOnly) {
  EXPECT_EQ(FileExtensionOf(L"C:\\shots\\a.jpg"), L"jpg");
  EXPECT_EQ(FileExtensionOf(L"C:\\shots\\a.tar.JPEG"), L"JPEG");
  EXPECT_EQ(FileExtensionOf(L"C:\\my.folder\\noext"), L"");
  EXPECT_EQ(FileExtensionOf(L"C:\\shots\\trailing."), L"");
}

// The save dialog ends with IDOK and hands back the chosen path; driven by closing it
// from a timer, as a user pressing Cancel would.
TEST(FileDialogRun, CancelGivesNoPath) {
  CFileDialog dialog(FALSE, L"Capture File", L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, L"BMP|*.BMP|");
  ::SetTimer(nullptr, 1, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = ::GetActiveWindow();
    if (!box) return;
    ::KillTimer(nullptr, id);
    ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.GetPathName(), L"");
}

}  // namespace
