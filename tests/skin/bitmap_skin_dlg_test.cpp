// CBitmapSkinDlg: the ways of drawing its picture, ownership of the picture, colour-key
// transparency, and moving the window by its body.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "skin/bitmap_skin_dlg.h"
#include "skin/caption_drag.h"
#include "skin/skin_key.h"
#include "tests/skin/skin_test_ids.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skin_test;
using skin::kSkinKeyColor;

// Every pixel of the 10 x 10 picture has its own colour, so a pixel tells where it came from.
COLORREF PictureAt(int x, int y) { return RGB(20 * x + 5, 20 * y + 5, 77); }

class BitmapSkinDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    UseTestResources();
    ASSERT_TRUE(dlg_->Create(IDD_TEST_PICTURE));
    dlg_->SetWindowPos(HWND_TOP, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // What the window shows over a `cx` x `cy` client area with the 10 x 10 picture in `mode`.
  void Paint(Canvas& face, int cx, int cy, int mode) {
    dlg_->MoveWindow(300, 200, cx, cy);
    ASSERT_TRUE(dlg_->SetBackgroundBitmap(fw::UniqueBitmap(MakeBitmap(10, 10, PictureAt))));
    dlg_->SetDrawMode(mode);
    dlg_->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(face.dc()));
  }

  std::unique_ptr<CBitmapSkinDlg> dlg_ = std::make_unique<CBitmapSkinDlg>(IDD_TEST_PICTURE);
  const COLORREF dialogFace_ = ::GetSysColor(COLOR_3DFACE);
};

TEST_F(BitmapSkinDlgTest, NormalDrawsOneCopyAtTheOriginOverTheDefaultErase) {
  Canvas face(30, 30);
  Paint(face, 30, 30, SKIN_DRAW_NORMAL);
  EXPECT_EQ(face.At(9, 9), PictureAt(9, 9));
  EXPECT_EQ(face.At(15, 15), dialogFace_);
}

TEST_F(BitmapSkinDlgTest, TileDrawsNineCopiesOverTwentyFiveByTwentyFive) {
  Canvas face(25, 25);
  Paint(face, 25, 25, SKIN_DRAW_TILE);
  for (int y : {0, 10, 20})
    for (int x : {0, 10, 20}) EXPECT_EQ(face.At(x + 3, y + 4), PictureAt(3, 4)) << x << "," << y;
}

TEST_F(BitmapSkinDlgTest, CenterShowsTheMiddleOfAPictureLargerThanTheWindow) {
  Canvas face(6, 4);
  Paint(face, 6, 4, SKIN_DRAW_CENTER);
  EXPECT_EQ(face.At(0, 0), PictureAt(2, 3));
  EXPECT_EQ(face.At(5, 3), PictureAt(7, 6));
}

TEST_F(BitmapSkinDlgTest, StretchScalesToTheClientAreaAndUnknownModesDrawNothing) {
  Canvas stretched(20, 30);
  Paint(stretched, 20, 30, SKIN_DRAW_STRETCH);
  EXPECT_EQ(stretched.At(19, 29), PictureAt(9, 9));
  EXPECT_EQ(stretched.At(10, 15), PictureAt(5, 5));
  Canvas unknown(30, 30);
  Paint(unknown, 30, 30, 7);
  EXPECT_EQ(unknown.At(0, 0), dialogFace_);
}

TEST_F(BitmapSkinDlgTest, FitSizesTheWindowToThePictureButOnlyOnceThereIsOne) {
  const RECT templateSize = dlg_->GetWindowRect();
  dlg_->SetDrawMode(SKIN_DRAW_FIT);
  EXPECT_EQ(dlg_->GetWindowRect(), templateSize);
  Canvas face(10, 10);
  Paint(face, 50, 50, SKIN_DRAW_FIT);
  EXPECT_EQ(dlg_->GetWindowRect(), (RECT{300, 200, 310, 210}));
  EXPECT_EQ(face.At(7, 2), PictureAt(7, 2));
}

TEST_F(BitmapSkinDlgTest, PicturesAreOwnedAndAnUnreadableOneIsRefused) {
  const HBITMAP first = MakeBitmap(10, 10, PictureAt), second = MakeBitmap(10, 10, PictureAt);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(fw::UniqueBitmap(first)));
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(fw::UniqueBitmap(second)));
  EXPECT_FALSE(IsLiveBitmap(first));
  EXPECT_FALSE(dlg_->SetBackgroundBitmap(fw::UniqueBitmap(first)));
  EXPECT_FALSE(IsLiveBitmap(second));
  const HBITMAP last = MakeBitmap(10, 10, PictureAt);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(fw::UniqueBitmap(last)));
  dlg_.reset();
  EXPECT_FALSE(IsLiveBitmap(last));
}

// A 60 x 40 skin whose corners have the key colour on their three outermost pixels.
constexpr COLORREF kSkinGreen = RGB(30, 160, 90);
COLORREF RoundedSkinAt(int x, int y) {
  return std::min(x, 59 - x) + std::min(y, 39 - y) <= 1 ? kSkinKeyColor : kSkinGreen;
}

TEST_F(BitmapSkinDlgTest, KeyColouredCornersShowTheDesktopOnlyWhileTransparent) {
  const COLORREF desktop = ScreenPixel(300, 200);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(fw::UniqueBitmap(MakeBitmap(60, 40, RoundedSkinAt))));
  dlg_->SetDrawMode(SKIN_DRAW_FIT);
  dlg_->ShowWindow(SW_SHOWNOACTIVATE);
  ASSERT_TRUE(PumpUntil([] { return ScreenPixel(330, 220) == kSkinGreen; }));
  EXPECT_EQ(ScreenPixel(300, 200), kSkinKeyColor) << "opaque: square corners in the key colour";

  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, TRUE));
  COLORREF key = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(*dlg_, &key, nullptr, &flags));
  EXPECT_EQ(key, kSkinKeyColor);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY)) << "no alpha blending";
  ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(300, 200) == desktop; }));
  EXPECT_EQ(ScreenPixel(359, 239), desktop);
  EXPECT_EQ(ScreenPixel(302, 200), kSkinGreen) << "only the key pixels go";

  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, FALSE));
  EXPECT_TRUE(PumpUntil([] { return ScreenPixel(300, 200) == kSkinKeyColor; }));
}

TEST_F(BitmapSkinDlgTest, TurningTransparencyOffRepaintsTheWindowAndItsChildren) {
  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, TRUE));
  dlg_->MoveWindow(300, 200, 200, 150);
  dlg_->ShowWindow(SW_SHOWNOACTIVATE);
  const HWND child = dlg_->GetDlgItem(IDC_TEST_CHILD);
  ::RedrawWindow(*dlg_, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
  ASSERT_FALSE(::GetUpdateRect(child, nullptr, FALSE));
  ASSERT_TRUE(dlg_->SetTransparent(kSkinKeyColor, FALSE));
  EXPECT_FALSE(::GetWindowLongW(*dlg_, GWL_EXSTYLE) & WS_EX_LAYERED);
  RECT pending{};
  EXPECT_TRUE(::GetUpdateRect(*dlg_, &pending, FALSE));
  EXPECT_EQ(pending, (RECT{0, 0, 200, 150}));
  EXPECT_TRUE(::GetUpdateRect(child, nullptr, FALSE));
}

TEST_F(BitmapSkinDlgTest, PressOnTheBodyPostsACaptionPressUnlessDragIsOff) {
  dlg_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  MSG posted{};
  ASSERT_TRUE(TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
  EXPECT_EQ(posted.wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(fw::PointFromLParam(posted.lParam).x, 340);
  EXPECT_EQ(fw::PointFromLParam(posted.lParam).y, 230);
  dlg_->SetDragMove(FALSE);
  dlg_->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 30));
  EXPECT_FALSE(TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
}

}  // namespace
