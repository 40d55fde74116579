// CHoverButton on a dialog: its four-state face, lighting up under the pointer, the hand
// cursor, and its tooltip.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "skin/hover_button.h"
#include "tests/skin/skin_test_ids.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skin_test;

constexpr COLORREF kNormal = RGB(200, 0, 0), kHover = RGB(0, 200, 0), kPressed = RGB(0, 0, 200),
                   kDisabled = RGB(120, 120, 120);

// Four states of 11 x 11 side by side, plus `extra` columns that belong to none.
HBITMAP MakeStrip(int extra = 0) {
  return MakeBitmap(44 + extra, 11, [](int x, int) {
    const COLORREF states[] = {kNormal, kHover, kPressed, kDisabled, RGB(255, 255, 255)};
    return states[x / 11];
  });
}

class ButtonsDlg : public CDialog {
 public:
  ButtonsDlg() : CDialog(IDD_TEST_BUTTONS) {}
  CHoverButton play;
  std::vector<UINT> playNotices;  // what the button reported, in order

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_TEST_HOVER, play); }
  BOOL OnCommand(UINT notifyCode, UINT id, HWND control) override {
    if (id == IDC_TEST_HOVER) playNotices.push_back(notifyCode);
    return CDialog::OnCommand(notifyCode, id, control);
  }
};

class HoverButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    UseTestResources();
    ASSERT_TRUE(dlg_->Create(IDD_TEST_BUTTONS));
    dlg_->SetWindowPos(HWND_TOP, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // The face the button draws when the system asks with `itemState`; `outside` is a pixel
  // beyond the face.
  COLORREF DrawnFace(UINT itemState, COLORREF* outside = nullptr) {
    Canvas canvas(20, 20);
    DRAWITEMSTRUCT dis{ODT_BUTTON,  IDC_TEST_HOVER,          0, ODA_DRAWENTIRE, itemState, button_,
                       canvas.dc(), button_.GetClientRect(), 0};
    dlg_->SendMessage(WM_DRAWITEM, IDC_TEST_HOVER, reinterpret_cast<LPARAM>(&dis));
    if (outside) *outside = canvas.At(15, 15);
    return canvas.At(5, 5);
  }
  void ShowWithPointerAway() {
    ASSERT_TRUE(button_.SetStateBitmap(fw::UniqueBitmap(MakeStrip())));
    MouseMoveTo(100, 100);
    dlg_->ShowWindow(SW_SHOW);
    PumpPending();
  }
  POINT Middle() const {
    const RECT r = button_.GetWindowRect();
    return {r.left + 5, r.top + 5};
  }
  // Two real clicks on the button, 0.2 s apart, as a user clicks quickly; what it reported.
  std::vector<UINT> TwoQuickClicks() {
    ShowWithPointerAway();
    MouseMoveTo(Middle().x, Middle().y);
    for (int click = 0; click < 2; ++click) {
      MouseLeftDown();
      MouseLeftUp();
      testing_support::PumpFor(200);
    }
    return dlg_->playNotices;
  }
  COLORREF FaceOnScreen() const { return ScreenPixel(Middle().x, Middle().y); }
  std::wstring ToolText() {
    wchar_t text[80] = {};
    TOOLINFOW info{sizeof info, 0, button_, 1, {}, nullptr, text, 0, nullptr};
    button_.GetToolTip().SendMessage(TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    return text;
  }

  std::unique_ptr<ButtonsDlg> dlg_ = std::make_unique<ButtonsDlg>();
  CHoverButton& button_ = dlg_->play;
};

TEST_F(HoverButtonTest, StripSizesTheButtonToOneTruncatedStateWithoutMovingIt) {
  const RECT before = button_.GetWindowRect();
  ASSERT_TRUE(button_.SetStateBitmap(fw::UniqueBitmap(MakeStrip(1))));
  EXPECT_EQ(button_.GetWindowRect(), (RECT{before.left, before.top, before.left + 11, before.top + 11}));
}

TEST_F(HoverButtonTest, FaceIsChosenDisabledBeforePressedBeforeHover) {
  ASSERT_TRUE(button_.SetStateBitmap(fw::UniqueBitmap(MakeStrip())));
  COLORREF outside = 0;
  EXPECT_EQ(DrawnFace(ODS_FOCUS, &outside), kNormal);
  EXPECT_EQ(outside, RGB(1, 2, 3)) << "no edge, caption or focus rectangle";
  button_.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(DrawnFace(0), kHover);
  EXPECT_EQ(DrawnFace(ODS_SELECTED), kPressed);
  button_.EnableWindow(FALSE);
  EXPECT_EQ(DrawnFace(ODS_SELECTED), kDisabled);
}

TEST_F(HoverButtonTest, PointerRestingOnTheButtonLightsItUpUntilItLeaves) {
  ShowWithPointerAway();
  ASSERT_TRUE(PumpUntil([&] { return FaceOnScreen() == kNormal; }));
  const POINT middle = Middle();
  MouseMoveTo(middle.x, middle.y);
  ASSERT_TRUE(PumpUntil([&] { return button_.IsHovering() && FaceOnScreen() == kHover; }));
  MouseMoveTo(100, 100);
  ASSERT_TRUE(PumpUntil([&] { return !button_.IsHovering() && FaceOnScreen() == kNormal; }));
  MouseMoveTo(middle.x, middle.y);
  EXPECT_TRUE(PumpUntil([&] { return button_.IsHovering() != FALSE; })) << "the next entry arms tracking again";
}

TEST_F(HoverButtonTest, AfterOneHoverEveryButtonOfTheProgramShowsTheHand) {
  ShowWithPointerAway();
  const HWND check = dlg_->GetDlgItem(IDC_TEST_CHECK);
  const auto hand = reinterpret_cast<LONG_PTR>(::LoadCursorW(nullptr, IDC_HAND));
  EXPECT_NE(::GetClassLongPtrW(check, GCLP_HCURSOR), hand);
  MouseMoveTo(Middle().x, Middle().y);
  ASSERT_TRUE(PumpUntil([&] { return button_.IsHovering() != FALSE; }));
  EXPECT_EQ(::GetClassLongPtrW(check, GCLP_HCURSOR), hand);
  fw::UniqueWindow later(
      ::CreateWindowExW(0, L"Button", L"", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(::GetClassLongPtrW(later.get(), GCLP_HCURSOR), hand);
}

TEST_F(HoverButtonTest, TooltipIsCreatedSwitchedOffByTheFirstMessageAndShowsForARestingPointer) {
  EXPECT_EQ(button_.GetToolTip().m_hWnd, nullptr);
  ShowWithPointerAway();
  ASSERT_NE(button_.GetToolTip().m_hWnd, nullptr);
  EXPECT_EQ(button_.GetToolTip().GetToolCount(), 0);
  button_.SetTooltipText(L"Play", TRUE);
  MouseMoveTo(Middle().x, Middle().y);
  EXPECT_TRUE(PumpUntil([&] { return button_.GetToolTip().IsWindowVisible() != FALSE; }));
}

TEST_F(HoverButtonTest, TooltipKeepsOneToolWhoseTextTheLastNonNullCallSets) {
  button_.SetTooltipText(nullptr, TRUE);
  EXPECT_EQ(button_.GetToolTip().m_hWnd, nullptr);
  button_.SetTooltipText(L"Play", TRUE);
  button_.SetTooltipText(L"Stop", TRUE);
  button_.SetTooltipText(nullptr, FALSE);
  EXPECT_EQ(button_.GetToolTip().GetToolCount(), 1);
  EXPECT_EQ(ToolText(), L"Stop");
}

TEST_F(HoverButtonTest, DestroyingTheButtonObjectDestroysItsTooltipAndStrip) {
  auto stop = std::make_unique<CHoverButton>();
  ASSERT_TRUE(stop->SubclassDlgItem(IDC_TEST_HOVER_OTHER, dlg_.get()));
  const HBITMAP strip = MakeStrip();
  ASSERT_TRUE(stop->SetStateBitmap(fw::UniqueBitmap(strip)));
  stop->SetTooltipText(L"Stop", TRUE);
  const HWND tip = stop->GetToolTip().m_hWnd;
  stop.reset();
  EXPECT_FALSE(::IsWindow(tip));
  EXPECT_FALSE(IsLiveBitmap(strip));
  EXPECT_TRUE(::IsWindow(dlg_->GetDlgItem(IDC_TEST_HOVER_OTHER))) << "the control belongs to its dialog";
}

TEST_F(HoverButtonTest, QuickSecondClickStaysADoubleClickByDefault) {
  EXPECT_EQ(TwoQuickClicks(), (std::vector<UINT>{BN_CLICKED, BN_DOUBLECLICKED}));
}

TEST_F(HoverButtonTest, WhenEveryClickCountsAQuickSecondClickIsAClick) {
  button_.SetEveryClickCounts(TRUE);
  EXPECT_EQ(TwoQuickClicks(), (std::vector<UINT>{BN_CLICKED, BN_CLICKED}));
}

}  // namespace
