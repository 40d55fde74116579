#include "framework/dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/win_app.h"
#include "framework_test_resources.h"

namespace {

// A control object bound by data exchange that records what reaches it.
class RecordingButton : public CButton {
 public:
  int draws = 0;
  std::vector<UINT> preTranslated;

  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) preTranslated.push_back(msg->message);
    return FALSE;
  }

 protected:
  void DrawItem(DRAWITEMSTRUCT* dis) override {
    ++draws;
    ::FillRect(dis->hDC, &dis->rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
};

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(IDD_TEST_DIALOG) {}

  RecordingButton button;
  CStatic edit;
  std::vector<std::wstring> log;
  bool swallowKeys = false;
  bool throwOnCommand = false;

  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) {
      log.push_back(L"pretranslate-key");
      if (swallowKeys) return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
  }

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_TEST_OWNERDRAW, button);
    DDX_Control(dx, IDC_TEST_EDIT, edit);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    log.push_back(L"init");
    return TRUE;
  }
  void OnOK() override {
    log.push_back(L"ok");
    CDialog::OnOK();
  }
  BOOL OnCommand(UINT code, UINT id, HWND control) override {
    if (throwOnCommand && id == IDC_TEST_OWNERDRAW) throw std::runtime_error("handler failed");
    return CDialog::OnCommand(code, id, control);
  }
};

class FrameworkDialog : public ::testing::Test {
 protected:
  void SetUp() override { AfxSetResourceHandle(::GetModuleHandleW(nullptr)); }
  void TearDown() override { AfxSetResourceHandle(nullptr); }
};

// Posts a sequence of actions to run once the modal loop is pumping.
void AfterLoopStarts(UINT_PTR id, TIMERPROC proc) { ::SetTimer(nullptr, id, 50, proc); }

TestDialog* g_modal = nullptr;

TEST_F(FrameworkDialog, ModelessCreateBindsControlsAndRunsInit) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_hWnd), &dialog);
  EXPECT_EQ(dialog.button.m_hWnd, dialog.GetDlgItem(IDC_TEST_OWNERDRAW));
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.button.m_hWnd), &dialog.button);
  ASSERT_EQ(dialog.log.size(), 1u);
  EXPECT_EQ(dialog.log[0], L"init");
  // Binding twice does nothing.
  EXPECT_TRUE(dialog.UpdateData(FALSE));
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.button.m_hWnd), &dialog.button);
}

TEST_F(FrameworkDialog, OwnerDrawIsReflectedToTheControlObject) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
  dialog.ShowWindow(SW_SHOW);
  ::UpdateWindow(dialog.m_hWnd);
  EXPECT_GT(dialog.button.draws, 0);
}

TEST_F(FrameworkDialog, DestroyingTheWindowUnbindsEveryObject) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
  HWND hwnd = dialog.m_hWnd;
  HWND buttonHwnd = dialog.button.m_hWnd;
  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.button.m_hWnd, nullptr);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(CWnd::FromHandlePermanent(buttonHwnd), nullptr);
}

// A picture the template gives a static control is loaded by the control; it goes with the
// dialog (Wine's static control never deletes it by itself).
TEST_F(FrameworkDialog, APictureFromTheTemplateGoesWithTheDialog) {
  TestDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
  HWND banner = ::FindWindowExW(dialog.m_hWnd, nullptr, L"Static", nullptr);
  ASSERT_NE(banner, nullptr);
  const auto picture = reinterpret_cast<HGDIOBJ>(::SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_EQ(::GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(::GetObjectType(picture), 0u) << "the template's bitmap outlived its dialog";
}

TEST_F(FrameworkDialog, ExceptionInAHandlerDoesNotCrossTheWindowProcedure) {
  TestDialog dialog;
  dialog.throwOnCommand = true;
  ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
  EXPECT_EQ(dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TEST_OWNERDRAW, BN_CLICKED),
                               reinterpret_cast<LPARAM>(dialog.button.m_hWnd)),
            0);
  EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
}

TEST_F(FrameworkDialog, MissingTemplateFailsTheModalRunAtOnce) {
  CDialog dialog(9999);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

// The modal loop walks PreTranslateMessage from the message's window up through its
// parents, then lets the dialog manager handle the key (Enter presses the default button).
TEST_F(FrameworkDialog, ModalLoopWalksPreTranslateFromTheFocusedControlUp) {
  TestDialog dialog;
  g_modal = &dialog;
  AfterLoopStarts(1, [](HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    HWND button = g_modal->button.m_hWnd;
    ::PostMessageW(button, WM_KEYDOWN, 'A', 0);        // reaches the button, then the dialog
    ::PostMessageW(button, WM_KEYDOWN, VK_RETURN, 0);  // the dialog manager turns it into IDOK
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  g_modal = nullptr;
  ASSERT_GE(dialog.button.preTranslated.size(), 2u);
  EXPECT_EQ(dialog.button.preTranslated[0], static_cast<UINT>(WM_KEYDOWN));
  std::vector<std::wstring> expected{L"init", L"pretranslate-key", L"pretranslate-key", L"ok"};
  EXPECT_EQ(dialog.log, expected);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST_F(FrameworkDialog, SwallowedKeysNeverReachTheDialogManager) {
  TestDialog dialog;
  dialog.swallowKeys = true;
  g_modal = &dialog;
  AfterLoopStarts(2, [](HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    ::PostMessageW(g_modal->button.m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(g_modal->m_hWnd, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  g_modal = nullptr;
  EXPECT_EQ(std::count(dialog.log.begin(), dialog.log.end(), L"ok"), 0);
}

// A modeless window's PreTranslateMessage runs while another dialog's modal loop pumps.
TEST_F(FrameworkDialog, ModelessWindowIsPreTranslatedDuringAnotherModalLoop) {
  static TestDialog modeless;
  ASSERT_TRUE(modeless.Create(IDD_TEST_DIALOG));
  TestDialog dialog;
  g_modal = &dialog;
  AfterLoopStarts(3, [](HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    ::PostMessageW(modeless.button.m_hWnd, WM_KEYDOWN, 'B', 0);
    ::PostMessageW(g_modal->m_hWnd, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  g_modal = nullptr;
  EXPECT_EQ(modeless.log.back(), L"pretranslate-key");
  modeless.DestroyWindow();
}

TEST_F(FrameworkDialog, ModalDialogDisablesItsOwnerWhileItRuns) {
  TestDialog owner;
  ASSERT_TRUE(owner.Create(IDD_TEST_DIALOG));
  static HWND ownerHwnd;
  static BOOL enabledDuringRun;
  ownerHwnd = owner.m_hWnd;
  TestDialog dialog;
  dialog.m_pParentWnd = &owner;
  g_modal = &dialog;
  AfterLoopStarts(4, [](HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    enabledDuringRun = ::IsWindowEnabled(ownerHwnd);
    g_modal->EndDialog(7);
  });
  EXPECT_EQ(dialog.DoModal(), 7);
  g_modal = nullptr;
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_TRUE(::IsWindowEnabled(ownerHwnd));
}

TEST(FrameworkStrings, LoadsFromTheGivenModuleAndEmptyForMissingIds) {
  EXPECT_EQ(LoadResourceString(IDS_TEST_TEXT, ::GetModuleHandleW(nullptr)), L"Hello");
  EXPECT_EQ(LoadResourceString(IDS_TEST_TEXT + 1, ::GetModuleHandleW(nullptr)), L"");
}

}  // namespace
