// CBitmapSkinDlg: the five ways of drawing its picture, ownership of the picture, colour-key
// transparency, and moving the window by its body.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "skin/bitmap_skin_dlg.h"
#include "skin/message_args.h"
#include "skin/skin_key.h"
#include "tests/skin/skin_test_ids.h"
#include "tests/skin/skin_test_support.h"

namespace {

using skin::kSkinKeyColor;
using skin_test::Canvas;
using skin_test::IsLiveBitmap;
using skin_test::MakeBitmap;
using skin_test::MakeSolidBitmap;

// Every pixel of the 10 x 10 picture has its own colour, so a pixel tells where it came from.
COLORREF PictureAt(int x, int y) { return RGB(20 * x + 5, 20 * y + 5, 77); }
HBITMAP MakePicture() { return MakeBitmap(10, 10, PictureAt); }

class BitmapSkinDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    skin_test::UseTestResources();
    dlg_ = std::make_unique<CBitmapSkinDlg>(IDD_TEST_PICTURE);
    ASSERT_TRUE(dlg_->Create(IDD_TEST_PICTURE));
    dlg_->SetWindowPos(HWND_TOP, kOrigin.x, kOrigin.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    dialogFace_ = ::GetSysColor(COLOR_3DFACE);
  }

  void SizeClient(int cx, int cy) { dlg_->MoveWindow(kOrigin.x, kOrigin.y, cx, cy); }
  void Erase(const Canvas& canvas) { dlg_->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc())); }
  SIZE WindowSize() const {
    const RECT r = dlg_->GetWindowRect();
    return {r.right - r.left, r.bottom - r.top};
  }

  static constexpr POINT kOrigin{300, 200};
  std::unique_ptr<CBitmapSkinDlg> dlg_;
  COLORREF dialogFace_ = 0;
};

// ---- Draw modes ----

TEST_F(BitmapSkinDlgTest, NormalDrawsThePictureOnceAtTheOriginOverTheDialogFace) {
  SizeClient(30, 30);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(SKIN_DRAW_NORMAL);
  Canvas face(30, 30);
  Erase(face);
  EXPECT_EQ(face.At(0, 0), PictureAt(0, 0));
  EXPECT_EQ(face.At(9, 9), PictureAt(9, 9));
  EXPECT_EQ(face.At(15, 15), dialogFace_) << "the default erase runs first";
}

TEST_F(BitmapSkinDlgTest, TileDrawsNineCopiesOverTwentyFiveByTwentyFive) {
  SizeClient(25, 25);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(SKIN_DRAW_TILE);
  Canvas face(25, 25);
  Erase(face);
  for (int y : {0, 10, 20})
    for (int x : {0, 10, 20}) {
      EXPECT_EQ(face.At(x, y), PictureAt(0, 0)) << x << "," << y;
      EXPECT_EQ(face.At(x + 3, y + 4), PictureAt(3, 4)) << x << "," << y;
    }
  EXPECT_EQ(face.At(24, 24), PictureAt(4, 4)) << "the last copies are cut at the edge";
}

TEST_F(BitmapSkinDlgTest, CenterPutsASmallerPictureInTheMiddle) {
  SizeClient(30, 40);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(SKIN_DRAW_CENTER);
  Canvas face(30, 40);
  Erase(face);
  EXPECT_EQ(face.At(10, 15), PictureAt(0, 0));
  EXPECT_EQ(face.At(19, 24), PictureAt(9, 9));
  EXPECT_EQ(face.At(9, 14), dialogFace_);
}

TEST_F(BitmapSkinDlgTest, CenterShowsTheMiddleOfALargerPicture) {
  SizeClient(6, 4);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(SKIN_DRAW_CENTER);
  Canvas face(6, 4);
  Erase(face);
  // Offsets (-2, -3): the picture's middle, not the dialog face, fills the window.
  EXPECT_EQ(face.At(0, 0), PictureAt(2, 3));
  EXPECT_EQ(face.At(5, 3), PictureAt(7, 6));
}

TEST_F(BitmapSkinDlgTest, StretchScalesThePictureToTheWholeClientArea) {
  SizeClient(20, 30);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(SKIN_DRAW_STRETCH);
  Canvas face(20, 30);
  Erase(face);
  EXPECT_EQ(face.At(0, 0), PictureAt(0, 0));
  EXPECT_EQ(face.At(19, 29), PictureAt(9, 9));
  EXPECT_EQ(face.At(10, 15), PictureAt(5, 5));
}

TEST_F(BitmapSkinDlgTest, FitSizesTheWindowToThePictureAndDrawsItAtTheOrigin) {
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(SKIN_DRAW_FIT);
  EXPECT_EQ(WindowSize().cx, 10);
  EXPECT_EQ(WindowSize().cy, 10);
  EXPECT_EQ(dlg_->GetWindowRect().left, kOrigin.x) << "fitting does not move the window";
  Canvas face(10, 10);
  Erase(face);
  EXPECT_EQ(face.At(7, 2), PictureAt(7, 2));
}

TEST_F(BitmapSkinDlgTest, FitBeforeAnyPictureKeepsTheTemplateSize) {
  const SIZE before = WindowSize();
  dlg_->SetDrawMode(SKIN_DRAW_FIT);
  EXPECT_EQ(WindowSize().cx, before.cx);
  EXPECT_EQ(WindowSize().cy, before.cy);
}

TEST_F(BitmapSkinDlgTest, UnknownModeDrawsOnlyTheDialogFace) {
  SizeClient(30, 30);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(7);
  Canvas face(30, 30);
  Erase(face);
  EXPECT_EQ(face.At(0, 0), dialogFace_);
}

TEST_F(BitmapSkinDlgTest, ResizingRepaintsThePicture) {
  SizeClient(30, 30);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakePicture()));
  dlg_->SetDrawMode(SKIN_DRAW_STRETCH);
  dlg_->ShowWindow(SW_SHOWNOACTIVATE);
  ::UpdateWindow(*dlg_);
  SizeClient(40, 40);
  RECT pending{};
  EXPECT_TRUE(::GetUpdateRect(*dlg_, &pending, FALSE));
  EXPECT_EQ(pending, (RECT{0, 0, 40, 40})) << "the whole window, not only the new strip";
}

// ---- The picture's ownership ----

TEST_F(BitmapSkinDlgTest, UnreadablePictureIsRefusedAndNothingIsDrawn) {
  SizeClient(30, 30);
  HBITMAP gone = MakePicture();
  ::DeleteObject(gone);
  EXPECT_FALSE(dlg_->SetBackgroundBitmap(gone));
  Canvas face(30, 30);
  Erase(face);
  EXPECT_EQ(face.At(0, 0), dialogFace_);
}

TEST_F(BitmapSkinDlgTest, ReplacedAndDestroyedPicturesAreDeleted) {
  const HBITMAP first = MakePicture();
  const HBITMAP second = MakePicture();
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(first));
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(second));
  EXPECT_FALSE(IsLiveBitmap(first));
  EXPECT_TRUE(IsLiveBitmap(second));
  dlg_.reset();
  EXPECT_FALSE(IsLiveBitmap(second));
}

TEST_F(BitmapSkinDlgTest, SettingTheSamePictureAgainKeepsIt) {
  const HBITMAP picture = MakePicture();
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(picture));
  EXPECT_TRUE(dlg_->SetBackgroundBitmap(picture));
  EXPECT_TRUE(IsLiveBitmap(picture));
}

// ---- Colour-key transparency ----

// A 60 x 40 skin whose corners have the key colour on their three outermost pixels.
COLORREF RoundedSkinAt(int x, int y) {
  const int dx = x < 30 ? x : 59 - x;
  const int dy = y < 20 ? y : 39 - y;
  return dx + dy <= 1 ? kSkinKeyColor : RGB(30, 160, 90);
}

class BitmapSkinTransparencyTest : public BitmapSkinDlgTest {
 protected:
  void ShowSkin() {
    ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakeBitmap(60, 40, RoundedSkinAt)));
    dlg_->SetDrawMode(SKIN_DRAW_FIT);
    dlg_->ShowWindow(SW_SHOWNOACTIVATE);
    ::UpdateWindow(*dlg_);
    skin_test::PumpPending();
  }
};

TEST_F(BitmapSkinTransparencyTest, OnMakesTheWindowLayeredWithTheKeyOnly) {
  ShowSkin();
  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, TRUE));
  EXPECT_TRUE(::GetWindowLongW(*dlg_, GWL_EXSTYLE) & WS_EX_LAYERED);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(*dlg_, &key, &alpha, &flags));
  EXPECT_EQ(key, kSkinKeyColor);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY)) << "no alpha blending";
}

TEST_F(BitmapSkinTransparencyTest, KeyColouredCornersShowTheDesktopOnlyWhileOn) {
  const COLORREF desktop = skin_test::ScreenPixel(kOrigin.x, kOrigin.y);
  ShowSkin();
  const int x = kOrigin.x, y = kOrigin.y;
  ASSERT_TRUE(skin_test::PumpUntil([&] { return skin_test::ScreenPixel(x + 30, y + 20) == RGB(30, 160, 90); }));
  EXPECT_EQ(skin_test::ScreenPixel(x, y), kSkinKeyColor) << "opaque: square corners in the key colour";

  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, TRUE));
  ASSERT_TRUE(skin_test::PumpUntil([&] { return skin_test::ScreenPixel(x, y) == desktop; }));
  EXPECT_EQ(skin_test::ScreenPixel(x + 59, y + 39), desktop);
  EXPECT_EQ(skin_test::ScreenPixel(x + 2, y), RGB(30, 160, 90)) << "only the key pixels go";

  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, FALSE));
  ASSERT_TRUE(skin_test::PumpUntil([&] { return skin_test::ScreenPixel(x, y) == kSkinKeyColor; }));
}

TEST_F(BitmapSkinTransparencyTest, OffRemovesTheLayerAndRepaintsFrameAndChildren) {
  ShowSkin();
  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, TRUE));
  dlg_->MoveWindow(kOrigin.x, kOrigin.y, 200, 150);  // room for the child button
  const HWND child = dlg_->GetDlgItem(IDC_TEST_CHILD);
  ::RedrawWindow(*dlg_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::ValidateRect(*dlg_, nullptr);
  ::ValidateRect(child, nullptr);

  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, FALSE));
  EXPECT_FALSE(::GetWindowLongW(*dlg_, GWL_EXSTYLE) & WS_EX_LAYERED);
  RECT pending{};
  EXPECT_TRUE(::GetUpdateRect(*dlg_, &pending, FALSE));
  EXPECT_EQ(pending, (RECT{0, 0, 200, 150}));
  EXPECT_TRUE(::GetUpdateRect(child, nullptr, FALSE)) << "children are repainted too";
}

TEST_F(BitmapSkinTransparencyTest, WithoutAWindowNothingCanBeMadeTransparent) {
  CBitmapSkinDlg unshown(IDD_TEST_PICTURE);
  EXPECT_FALSE(unshown.SetTransparent(kSkinKeyColor, TRUE));
}

// ---- Moving by the body ----

TEST_F(BitmapSkinDlgTest, PressOnTheBodyPostsACaptionPressAtTheScreenPoint) {
  SizeClient(100, 80);
  dlg_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  MSG posted{};
  ASSERT_TRUE(skin_test::TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
  EXPECT_EQ(posted.wParam, static_cast<WPARAM>(HTCAPTION));
  const POINT at = skin::PointFromLParam(posted.lParam);
  EXPECT_EQ(at.x, kOrigin.x + 40);
  EXPECT_EQ(at.y, kOrigin.y + 30);
}

TEST_F(BitmapSkinDlgTest, DragToMoveOffKeepsTheWindowStill) {
  dlg_->SetDragMove(FALSE);
  dlg_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  MSG posted{};
  EXPECT_FALSE(skin_test::TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
}

}  // namespace
