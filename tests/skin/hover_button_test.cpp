// CHoverButton on a dialog: its four-state face, lighting up under the pointer, the hand
// cursor, and its tooltip.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/dialog.h"
#include "skin/hover_button.h"
#include "tests/skin/skin_test_ids.h"
#include "tests/skin/skin_test_support.h"

namespace {

using skin_test::Canvas;
using skin_test::IsLiveBitmap;
using skin_test::MakeBitmap;

constexpr COLORREF kNormal = RGB(200, 0, 0);
constexpr COLORREF kHover = RGB(0, 200, 0);
constexpr COLORREF kPressed = RGB(0, 0, 200);
constexpr COLORREF kDisabled = RGB(120, 120, 120);

// A strip of four states, `stateWidth` wide each, plus `extra` columns that belong to none.
HBITMAP MakeStrip(int stateWidth, int height, int extra = 0) {
  return MakeBitmap(4 * stateWidth + extra, height, [=](int x, int) {
    const COLORREF states[] = {kNormal, kHover, kPressed, kDisabled, RGB(255, 255, 255)};
    return states[x / stateWidth];
  });
}

class ButtonsDlg : public CDialog {
 public:
  ButtonsDlg() : CDialog(IDD_TEST_BUTTONS) {}
  CHoverButton play;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_TEST_HOVER, play); }
};

class HoverButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    skin_test::UseTestResources();
    dlg_ = std::make_unique<ButtonsDlg>();
    ASSERT_TRUE(dlg_->Create(IDD_TEST_BUTTONS));
    dlg_->SetWindowPos(HWND_TOP, 400, 300, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    button_ = &dlg_->play;
    ASSERT_NE(button_->m_hWnd, nullptr);
  }

  // The face the button draws when the system asks with `itemState`.
  COLORREF DrawnFace(UINT itemState, COLORREF* outside = nullptr) {
    Canvas canvas(20, 20);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = IDC_TEST_HOVER;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = *button_;
    dis.hDC = canvas.dc();
    dis.rcItem = button_->GetClientRect();
    dlg_->SendMessage(WM_DRAWITEM, IDC_TEST_HOVER, reinterpret_cast<LPARAM>(&dis));
    if (outside) *outside = canvas.At(15, 15);
    return canvas.At(5, 5);
  }

  RECT ButtonOnScreen() const { return button_->GetWindowRect(); }

  std::wstring ToolText() {
    wchar_t text[80] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = *button_;
    info.uId = 1;
    info.lpszText = text;
    button_->GetToolTip().SendMessage(TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
    return text;
  }

  std::unique_ptr<ButtonsDlg> dlg_;
  CHoverButton* button_ = nullptr;
};

// ---- The strip ----

TEST_F(HoverButtonTest, StripSizesTheButtonToOneStateWithoutMovingIt) {
  const RECT before = ButtonOnScreen();
  ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11)));
  const RECT after = ButtonOnScreen();
  EXPECT_EQ(after, (RECT{before.left, before.top, before.left + 11, before.top + 11}));
}

TEST_F(HoverButtonTest, StripWidthThatIsNoMultipleOfFourIsTruncated) {
  ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11, 1)));
  EXPECT_EQ(button_->GetStateSize().cx, 11);
  EXPECT_EQ(button_->GetClientRect().right, 11);
}

TEST_F(HoverButtonTest, NullStripIsRefused) { EXPECT_FALSE(button_->SetStateBitmap(nullptr)); }

TEST_F(HoverButtonTest, ReplacedAndDestroyedStripsAreDeleted) {
  const HBITMAP first = MakeStrip(11, 11);
  const HBITMAP second = MakeStrip(11, 11);
  ASSERT_TRUE(button_->SetStateBitmap(first));
  ASSERT_TRUE(button_->SetStateBitmap(second));
  EXPECT_FALSE(IsLiveBitmap(first));
  dlg_.reset();
  EXPECT_FALSE(IsLiveBitmap(second));
}

// ---- Choosing the face ----

TEST_F(HoverButtonTest, FaceIsTheNormalStateAndNothingElse) {
  ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11)));
  COLORREF outside = 0;
  EXPECT_EQ(DrawnFace(0, &outside), kNormal);
  EXPECT_EQ(outside, RGB(1, 2, 3)) << "no edge, caption or focus rectangle";
  EXPECT_EQ(DrawnFace(ODS_FOCUS), kNormal);
}

TEST_F(HoverButtonTest, PressedBeatsHover) {
  ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11)));
  button_->SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(button_->IsHovering());
  EXPECT_EQ(DrawnFace(0), kHover);
  EXPECT_EQ(DrawnFace(ODS_SELECTED), kPressed);
}

TEST_F(HoverButtonTest, DisabledBeatsHoverAndPressed) {
  ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11)));
  button_->SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
  button_->EnableWindow(FALSE);
  EXPECT_EQ(DrawnFace(0), kDisabled);
  EXPECT_EQ(DrawnFace(ODS_SELECTED), kDisabled);
}

TEST_F(HoverButtonTest, LeavingClearsTheHover) {
  ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11)));
  button_->SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
  button_->SendMessage(WM_MOUSELEAVE);
  EXPECT_FALSE(button_->IsHovering());
  EXPECT_EQ(DrawnFace(0), kNormal);
}

// ---- The real pointer ----

class HoverButtonPointerTest : public HoverButtonTest {
 protected:
  void ShowButtons() {
    ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11)));
    dlg_->ShowWindow(SW_SHOW);
    ::UpdateWindow(*dlg_);
    skin_test::PumpPending();
  }
  POINT ButtonMiddle() const {
    const RECT r = ButtonOnScreen();
    return {r.left + 5, r.top + 5};
  }
  COLORREF FaceOnScreen() const {
    const POINT p = ButtonMiddle();
    return skin_test::ScreenPixel(p.x, p.y);
  }
};

TEST_F(HoverButtonPointerTest, PointerRestingOnTheButtonLightsItUpAndLeavingPutsItOut) {
  ShowButtons();
  ASSERT_TRUE(skin_test::PumpUntil([&] { return FaceOnScreen() == kNormal; }));
  const POINT middle = ButtonMiddle();
  skin_test::MouseMoveTo(middle.x, middle.y);
  ASSERT_TRUE(skin_test::PumpUntil([&] { return button_->IsHovering() != FALSE; }));
  ASSERT_TRUE(skin_test::PumpUntil([&] { return FaceOnScreen() == kHover; }));

  skin_test::MouseMoveTo(middle.x + 150, middle.y + 150);
  ASSERT_TRUE(skin_test::PumpUntil([&] { return !button_->IsHovering(); }));
  ASSERT_TRUE(skin_test::PumpUntil([&] { return FaceOnScreen() == kNormal; }));

  // Tracking is armed again by the next entry.
  skin_test::MouseMoveTo(middle.x, middle.y);
  EXPECT_TRUE(skin_test::PumpUntil([&] { return button_->IsHovering() != FALSE; }));
}

TEST_F(HoverButtonPointerTest, AfterOneHoverEveryButtonOfTheProgramShowsTheHand) {
  ShowButtons();
  const HWND check = dlg_->GetDlgItem(IDC_TEST_CHECK);
  const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  EXPECT_NE(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(check, GCLP_HCURSOR)), hand);
  const POINT middle = ButtonMiddle();
  skin_test::MouseMoveTo(middle.x, middle.y);
  ASSERT_TRUE(skin_test::PumpUntil([&] { return button_->IsHovering() != FALSE; }));
  EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(*button_, GCLP_HCURSOR)), hand);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(check, GCLP_HCURSOR)), hand);

  // A check box created afterwards has it as well, and nothing puts the arrow back.
  skin_test::MouseMoveTo(middle.x + 150, middle.y + 150);
  ASSERT_TRUE(skin_test::PumpUntil([&] { return !button_->IsHovering(); }));
  fw::UniqueWindow later(::CreateWindowExW(0, L"Button", L"x", WS_POPUP | BS_AUTOCHECKBOX, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr));
  EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(later.get(), GCLP_HCURSOR)), hand);
}

TEST_F(HoverButtonPointerTest, RestingPointerShowsTheTooltip) {
  ShowButtons();
  button_->SetTooltipText(L"Play", TRUE);
  const POINT middle = ButtonMiddle();
  skin_test::MouseMoveTo(middle.x, middle.y);
  EXPECT_TRUE(skin_test::PumpUntil([&] { return button_->GetToolTip().IsWindowVisible() != FALSE; }));
}

TEST_F(HoverButtonPointerTest, MessagesOnTheWayToTheButtonCreateTheTooltip) {
  EXPECT_EQ(button_->GetToolTip().m_hWnd, nullptr) << "no window before the first message";
  ShowButtons();
  const POINT middle = ButtonMiddle();
  skin_test::MouseMoveTo(middle.x, middle.y);
  ASSERT_TRUE(skin_test::PumpUntil([&] { return button_->GetToolTip().m_hWnd != nullptr; }));
  // A pop-up cannot belong to a child window; the system gives it to the button's dialog.
  EXPECT_EQ(::GetWindow(button_->GetToolTip().m_hWnd, GW_OWNER), dlg_->m_hWnd);
  EXPECT_FALSE(button_->GetToolTip().IsWindowVisible()) << "created switched off";
}

// ---- The tooltip ----

TEST_F(HoverButtonTest, SecondTextReplacesTheFirstInTheOneTool) {
  button_->SetTooltipText(L"Play", TRUE);
  button_->SetTooltipText(L"Stop", TRUE);
  EXPECT_EQ(button_->GetToolTip().GetToolCount(), 1);
  EXPECT_EQ(ToolText(), L"Stop");
}

TEST_F(HoverButtonTest, ToolCoversTheButtonsClientArea) {
  ASSERT_TRUE(button_->SetStateBitmap(MakeStrip(11, 11)));
  button_->SetTooltipText(L"Play", TRUE);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = *button_;
  info.uId = 1;
  ASSERT_TRUE(button_->GetToolTip().SendMessage(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(info.rect, (RECT{0, 0, 11, 11}));
}

TEST_F(HoverButtonTest, NullTextChangesNothing) {
  button_->SetTooltipText(nullptr, TRUE);
  EXPECT_EQ(button_->GetToolTip().m_hWnd, nullptr);
  button_->SetTooltipText(L"Zoom In", TRUE);
  button_->SetTooltipText(nullptr, FALSE);
  EXPECT_EQ(ToolText(), L"Zoom In");
}

TEST_F(HoverButtonTest, DestroyingTheButtonObjectDestroysItsTooltip) {
  auto stop = std::make_unique<CHoverButton>();
  ASSERT_TRUE(stop->SubclassDlgItem(IDC_TEST_HOVER_OTHER, dlg_.get()));
  const HBITMAP strip = MakeStrip(26, 22);
  ASSERT_TRUE(stop->SetStateBitmap(strip));
  stop->SetTooltipText(L"Stop", TRUE);
  const HWND tip = stop->GetToolTip().m_hWnd;
  ASSERT_TRUE(::IsWindow(tip));
  stop.reset();
  EXPECT_FALSE(::IsWindow(tip));
  EXPECT_FALSE(IsLiveBitmap(strip));
  EXPECT_TRUE(::IsWindow(dlg_->GetDlgItem(IDC_TEST_HOVER_OTHER))) << "the control belongs to its dialog";
}

}  // namespace
