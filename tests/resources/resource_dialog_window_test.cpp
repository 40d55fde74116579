// The templates as the system builds windows from them, with the library as the source.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "tests/resources/resource_module.h"

namespace {

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Owns a modeless dialog made from one of the library's templates.
class DialogWindow {
 public:
  explicit DialogWindow(int id)
      : window_(CreateDialogParamW(q7test::Library(), MAKEINTRESOURCEW(id), nullptr, QuietDialog, 0)) {}
  ~DialogWindow() {
    if (window_) DestroyWindow(window_);
  }
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

int CountChildren(HWND parent) {
  int n = 0;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
  return n;
}

class ResourceDialogWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
  }
};

TEST_F(ResourceDialogWindows, EveryTemplateCreatesAWindow) {
  for (int id : {IDD_CONTROL_PANEL, IDD_PROPERTIES, IDD_VIDEO_WINDOW, IDD_ABOUT, IDD_FULL_VIEW, IDD_CAPTURE_SERIES}) {
    DialogWindow dialog(id);
    EXPECT_NE(dialog.get(), nullptr) << "template " << id << ", error " << GetLastError();
  }
}

TEST_F(ResourceDialogWindows, PanelCreatesResolutionButtonHidden) {
  DialogWindow panel(IDD_CONTROL_PANEL);
  ASSERT_NE(panel.get(), nullptr);
  EXPECT_EQ(CountChildren(panel.get()), 12);
  HWND resolution = GetDlgItem(panel.get(), IDC_RESOLUTION);
  ASSERT_NE(resolution, nullptr);
  EXPECT_FALSE(GetWindowLongW(resolution, GWL_STYLE) & WS_VISIBLE);
  HWND image = GetDlgItem(panel.get(), IDC_IMAGE);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(GetWindowLongW(image, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(GetWindowLongW(panel.get(), GWL_EXSTYLE) & WS_EX_APPWINDOW, WS_EX_APPWINDOW);
}

TEST_F(ResourceDialogWindows, PanelStopButtonKeepsItsHangulCaption) {
  DialogWindow panel(IDD_CONTROL_PANEL);
  ASSERT_NE(panel.get(), nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(panel.get(), IDC_STOP)), L"\x3141");
  EXPECT_EQ(TextOf(GetDlgItem(panel.get(), IDC_STATUS)), L"static");
  EXPECT_EQ(_wcsicmp(ClassOf(GetDlgItem(panel.get(), IDC_STATUS)).c_str(), L"Static"), 0);
}

TEST_F(ResourceDialogWindows, PropertyDialogBuildsItsControls) {
  DialogWindow dialog(IDD_PROPERTIES);
  ASSERT_NE(dialog.get(), nullptr);
  EXPECT_EQ(TextOf(dialog.get()), L"TK Lumora-Q7 Property");
  EXPECT_EQ(CountChildren(dialog.get()), 60);
  EXPECT_EQ(_wcsicmp(ClassOf(GetDlgItem(dialog.get(), IDC_EXPOSURE_SLIDER)).c_str(), TRACKBAR_CLASSW), 0);
  EXPECT_EQ(_wcsicmp(ClassOf(GetDlgItem(dialog.get(), IDC_EXPOSURE_MIN_SPIN)).c_str(), UPDOWN_CLASSW), 0);
  EXPECT_EQ(_wcsicmp(ClassOf(GetDlgItem(dialog.get(), IDC_EXPOSURE_MIN)).c_str(), L"Edit"), 0);
  EXPECT_EQ(_wcsicmp(ClassOf(GetDlgItem(dialog.get(), IDC_RES_640x480)).c_str(), L"Button"), 0);
  // The up-down controls attach to the edit before them.
  EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessageW(dialog.get(), IDC_EXPOSURE_MIN_SPIN, UDM_GETBUDDY, 0, 0)),
            GetDlgItem(dialog.get(), IDC_EXPOSURE_MIN));
}

TEST_F(ResourceDialogWindows, PropertyBannerPictureComesFromTheLibrary) {
  DialogWindow dialog(IDD_PROPERTIES);
  ASSERT_NE(dialog.get(), nullptr);
  HWND banner = nullptr;
  for (HWND c = GetWindow(dialog.get(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) banner = c;
  }
  ASSERT_NE(banner, nullptr);
  auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 700);
  EXPECT_EQ(info.bmHeight, 40);
}

TEST_F(ResourceDialogWindows, VideoWindowHasItsBlackPicture) {
  DialogWindow video(IDD_VIDEO_WINDOW);
  ASSERT_NE(video.get(), nullptr);
  HWND picture = GetDlgItem(video.get(), IDC_PICTURE);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(GetWindowLongW(picture, GWL_STYLE) & (SS_TYPEMASK | SS_NOTIFY), SS_BLACKRECT | SS_NOTIFY);
  EXPECT_EQ(CountChildren(video.get()), 1);
}

}  // namespace
