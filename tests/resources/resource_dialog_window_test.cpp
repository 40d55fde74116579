// The templates as the system builds windows from them, with the library as the source.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/resource_module.h"
#include "tests/support/screen_capture.h"

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

// The property dialog on the screen at the test display's DPI, for its header and captions.
class PropertyDialogOnScreen : public ResourceDialogWindows {
 protected:
  void SetUp() override {
    ASSERT_NE(dialog_.get(), nullptr);
    SetWindowPos(dialog_.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(dialog_.get());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  // A child's rectangle in the dialog's client coordinates.
  RECT ChildRect(HWND child) const {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog_.get(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  // The children of one window class and one type (the style's low four bits).
  std::vector<HWND> Children(const wchar_t* className, DWORD type) const {
    std::vector<HWND> found;
    for (HWND c = GetWindow(dialog_.get(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (_wcsicmp(ClassOf(c).c_str(), className) == 0 &&
          (GetWindowLongW(c, GWL_STYLE) & 0xF) == static_cast<LONG>(type))
        found.push_back(c);
    return found;
  }

  DialogWindow dialog_{IDD_PROPERTIES};
};

TEST_F(PropertyDialogOnScreen, HeaderFillsTheWidthWithTheLibrarysBannerUpToTwiceThisDpi) {
  const std::vector<HWND> headers = Children(L"Static", SS_BITMAP);
  ASSERT_EQ(headers.size(), 1u);
  RECT client{};
  GetClientRect(dialog_.get(), &client);
  const RECT header = ChildRect(headers[0]);
  EXPECT_EQ(header.left, 0);
  EXPECT_EQ(header.right, client.right);
  // The banner holds the header band of this dialog at 200 % as well; the band shows its middle.
  auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(headers[0], STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  EXPECT_GE(info.bmWidth, 2 * client.right);
  EXPECT_GE(info.bmHeight, 2 * (header.bottom - header.top));
  POINT origin{0, 0};
  ClientToScreen(dialog_.get(), &origin);
  const RECT band{origin.x, origin.y, origin.x + client.right, origin.y + header.bottom};
  const testing_support::ScreenPixels shot = testing_support::CaptureScreen(band);
  for (LONG x : {0L, client.right / 2, client.right - 1}) {
    for (LONG y : {0L, header.bottom - 1}) {
      const COLORREF c = shot.At(x, y);
      EXPECT_GT(GetBValue(c), GetRValue(c) + 20) << "no banner blue at " << x << "," << y;
    }
  }
}

// A group box draws its frame line up to the caption's text; the caption's padding keeps a gap.
TEST_F(PropertyDialogOnScreen, GroupCaptionsStandClearOfTheirFrameLines) {
  const std::vector<HWND> groups = Children(L"Button", BS_GROUPBOX);
  ASSERT_EQ(groups.size(), 4u);
  for (HWND group : groups) {
    RECT r{};
    GetWindowRect(group, &r);
    const testing_support::ScreenPixels shot = testing_support::CaptureScreen(RECT{r.left, r.top, r.right, r.top + 30});
    const int w = shot.width;
    const COLORREF face = shot.At(w - 10, 0);
    int frameRow = 0;  // the top line, found right of the caption
    while (frameRow < shot.height - 1 && shot.At(w - 10, frameRow) == face) ++frameRow;
    const COLORREF line = shot.At(w - 10, frameRow);
    // Whether a column holds any of the caption's ink: the caption is centred on the frame
    // line, and the frame's own two rows do not count.
    auto ink = [&](int x) {
      for (int y = 0; y <= 2 * frameRow + 2; ++y)
        if (y != frameRow && y != frameRow + 1 && shot.At(x, y) != face) return true;
      return false;
    };
    int leftEnd = 0;  // last pixel of the frame line left of the caption, past the corner
    while (leftEnd < w && shot.At(leftEnd, frameRow) != line) ++leftEnd;
    while (leftEnd + 1 < w && shot.At(leftEnd + 1, frameRow) == line) ++leftEnd;
    int textStart = leftEnd + 1;
    while (textStart < w && !ink(textStart)) ++textStart;
    int rightStart = w - 10;  // first pixel of the frame line right of the caption
    while (rightStart > 0 && shot.At(rightStart - 1, frameRow) == line) --rightStart;
    int textEnd = rightStart - 1;
    while (textEnd > 0 && !ink(textEnd)) --textEnd;
    const std::wstring caption = TextOf(group);
    EXPECT_GE(textStart - leftEnd - 1, 3) << "left of \"" << std::string(caption.begin(), caption.end()) << "\"";
    EXPECT_GE(rightStart - textEnd - 1, 3) << "right of \"" << std::string(caption.begin(), caption.end()) << "\"";
  }
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
