// CBorderSkinDlg as a user meets it: skinned, shaped, painted, resized at its edges and moved
// by its body.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <thread>

#include "skin/border_skin_dlg.h"
#include "skin/caption_drag.h"
#include "skin/skin_key.h"
#include "tests/skin/skin_test_ids.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skin_test;
using skin::kSkinKeyColor;

constexpr COLORREF kTop = RGB(200, 0, 0), kBottom = RGB(0, 200, 0), kLeft = RGB(0, 0, 200);
constexpr COLORREF kRight = RGB(200, 200, 0), kCorner = RGB(0, 200, 200), kFill = RGB(40, 50, 60);

// Four edges in their own colours; 4 x 4 corners with the key on their three outermost pixels.
std::array<HBITMAP, 8> MakePieces() {
  auto corner = [](int cx, int cy) {
    return MakeBitmap(4, 4, [=](int x, int y) { return abs(x - cx) + abs(y - cy) <= 1 ? kSkinKeyColor : kCorner; });
  };
  return {MakeSolidBitmap(4, 4, kTop),
          MakeSolidBitmap(4, 4, kBottom),
          MakeSolidBitmap(4, 4, kLeft),
          MakeSolidBitmap(4, 4, kRight),
          corner(0, 0),
          corner(3, 0),
          corner(0, 3),
          corner(3, 3)};
}

class TestBorderDlg : public CBorderSkinDlg {
 public:
  TestBorderDlg() : CBorderSkinDlg(IDD_TEST_BORDER) {}
  HANDLE moveLoopEntered = nullptr;  // not owned
  bool movedBySystem = false;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_ENTERSIZEMOVE && moveLoopEntered) ::SetEvent(moveLoopEntered);
    if (msg == WM_EXITSIZEMOVE) movedBySystem = true;
    return CBorderSkinDlg::WindowProc(msg, wp, lp);
  }
};

class BorderSkinDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    UseTestResources();
    ASSERT_TRUE(dlg_->Create(IDD_TEST_BORDER));
    dlg_->SetWindowPos(HWND_TOP, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // The video window's order: drag on, background, pieces, fill colour.
  BOOL Skin(SIZE base, const std::array<HBITMAP, 8>& p = MakePieces()) {
    dlg_->SetDragMove(TRUE);
    dlg_->SetBackgroundBitmap(fw::UniqueBitmap(MakeSolidBitmap(base.cx, base.cy, RGB(9, 9, 9))));
    const BOOL ok = dlg_->SetBorderBitmaps(fw::UniqueBitmap(p[0]), fw::UniqueBitmap(p[1]), fw::UniqueBitmap(p[2]),
                                           fw::UniqueBitmap(p[3]), fw::UniqueBitmap(p[4]), fw::UniqueBitmap(p[5]),
                                           fw::UniqueBitmap(p[6]), fw::UniqueBitmap(p[7]));
    dlg_->SetFillColor(kFill);
    return ok;
  }
  void Show() {
    dlg_->ShowWindow(SW_SHOW);
    ::UpdateWindow(*dlg_);
    PumpPending();
  }
  void Erase(const Canvas& canvas) { dlg_->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc())); }
  void Mouse(UINT msg, int x, int y) { dlg_->SendMessage(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y)); }
  void PressAt(int x, int y) {
    dlg_->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    Mouse(WM_LBUTTONDOWN, x, y);
  }
  bool ShapeIs(HRGN expected) const {
    fw::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
    return ::GetWindowRgn(*dlg_, shape.get()) != ERROR && SameArea(shape.get(), expected);
  }
  RECT Window() const { return dlg_->GetWindowRect(); }

  std::unique_ptr<TestBorderDlg> dlg_ = std::make_unique<TestBorderDlg>();
};

TEST_F(BorderSkinDlgTest, WindowOfTheBaseSizeIsCutToTheOpaquePixelsOfItsFrame) {
  const RECT r = Window();
  const int W = r.right - r.left, H = r.bottom - r.top;  // the base size: no resize, so the scan stays
  ASSERT_TRUE(Skin({W, H}));
  fw::UniqueRegion expected(::CreateRectRgn(0, 0, W, H));
  for (const POINT& p : {POINT{0, 0},
                         {1, 0},
                         {0, 1},
                         {W - 1, 0},
                         {W - 2, 0},
                         {W - 1, 1},
                         {0, H - 1},
                         {1, H - 1},
                         {0, H - 2},
                         {W - 1, H - 1},
                         {W - 2, H - 1},
                         {W - 1, H - 2}}) {
    fw::UniqueRegion hole(::CreateRectRgn(p.x, p.y, p.x + 1, p.y + 1));
    ::CombineRgn(expected.get(), expected.get(), hole.get(), RGN_DIFF);
  }
  EXPECT_TRUE(ShapeIs(expected.get()));
}

TEST_F(BorderSkinDlgTest, PiecesSizeTheWindowAndTheEraseShowsTheComposedFrame) {
  ASSERT_TRUE(Skin({160, 120}));
  EXPECT_EQ(Window(), (RECT{100, 120, 260, 240}));
  Canvas face(160, 120);
  Erase(face);
  EXPECT_EQ(face.At(80, 1), kTop);
  EXPECT_EQ(face.At(80, 118), kBottom);
  EXPECT_EQ(face.At(1, 60), kLeft);
  EXPECT_EQ(face.At(158, 60), kRight);
  EXPECT_EQ(face.At(3, 3), kCorner);
  EXPECT_EQ(face.At(159, 119), kSkinKeyColor);
  EXPECT_EQ(face.At(80, 60), RGB(0, 0, 0)) << "the fill colour was set after the first composition";
}

TEST_F(BorderSkinDlgTest, ResizeRecomposesAndReplacesTheShapeWithTheRoundedRectangle) {
  ASSERT_TRUE(Skin({160, 120}));
  dlg_->MoveWindow(100, 120, 250, 180);
  fw::UniqueRegion rounded(::CreateRoundRectRgn(0, 0, 251, 181, 4, 4));
  EXPECT_TRUE(ShapeIs(rounded.get()));
  Canvas face(250, 180);
  Erase(face);
  EXPECT_EQ(face.At(125, 90), kFill);
  EXPECT_EQ(face.At(248, 90), kRight);
  EXPECT_EQ(face.At(4, 4), kFill) << "the edges cover the one-pixel outline";
  Show();
  EXPECT_TRUE(PumpUntil([] { return ScreenPixel(100 + 125, 120 + 178) == kBottom; }));
}

TEST_F(BorderSkinDlgTest, MissingPieceKeepsTheOthersComposesNothingAndStillSizes) {
  auto pieces = MakePieces();
  fw::UniqueBitmap right(std::exchange(pieces[3], nullptr));
  ASSERT_TRUE(Skin({160, 120}, pieces));
  EXPECT_EQ(Window(), (RECT{100, 120, 260, 240}));
  for (HBITMAP kept : pieces) EXPECT_TRUE(!kept || IsLiveBitmap(kept));
  fw::UniqueRegion none(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::GetWindowRgn(*dlg_, none.get()), ERROR);
  Canvas face(160, 120);
  Erase(face);
  EXPECT_EQ(face.At(1, 60), kFill) << "without a frame the interior colour shows";
}

TEST_F(BorderSkinDlgTest, UnreadablePieceDeletesTheWholeSet) {
  auto pieces = MakePieces();
  ::DeleteObject(pieces[5]);
  EXPECT_FALSE(Skin({160, 120}, pieces));
  for (HBITMAP piece : pieces) EXPECT_FALSE(IsLiveBitmap(piece));
}

TEST_F(BorderSkinDlgTest, ReplacedAndDestroyedBitmapsAreDeleted) {
  const auto first = MakePieces();
  ASSERT_TRUE(Skin({160, 120}, first));
  const HBITMAP background = MakeSolidBitmap(170, 130, 0);
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(fw::UniqueBitmap(background)));
  const auto second = MakePieces();
  ASSERT_TRUE(Skin({160, 120}, second));
  EXPECT_FALSE(IsLiveBitmap(background));
  for (HBITMAP piece : first) EXPECT_FALSE(IsLiveBitmap(piece));
  dlg_.reset();
  for (HBITMAP piece : second) EXPECT_FALSE(IsLiveBitmap(piece));
}

TEST_F(BorderSkinDlgTest, DraggingTheRightEdgeResizesOnlyAtTheRelease) {
  ASSERT_TRUE(Skin({160, 120}));
  const RECT before = Window();
  dlg_->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(155, 60));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));
  PressAt(158, 60);
  ASSERT_TRUE(dlg_->IsResizing());
  EXPECT_EQ(::GetCapture(), dlg_->m_hWnd);
  Mouse(WM_MOUSEMOVE, 218, 90);
  EXPECT_EQ(dlg_->GetDrawnBand(), (RECT{100, 120, 318, 240}));
  EXPECT_EQ(Window(), before) << "the window waits for the release";
  Mouse(WM_LBUTTONUP, 218, 90);
  EXPECT_EQ(Window(), (RECT{100, 120, 318, 240}));
  EXPECT_FALSE(dlg_->IsResizing());
  EXPECT_EQ(::GetCapture(), nullptr);
  Mouse(WM_LBUTTONUP, 10, 10);
  EXPECT_EQ(Window(), (RECT{100, 120, 318, 240})) << "a release without a drag changes nothing";
}

TEST_F(BorderSkinDlgTest, LeftEdgeDraggedPastTheMinimumStopsAtTheBaseWidth) {
  ASSERT_TRUE(Skin({160, 120}));
  dlg_->MoveWindow(100, 120, 300, 200);
  PressAt(2, 100);
  Mouse(WM_MOUSEMOVE, 290, 100);
  Mouse(WM_LBUTTONUP, 290, 100);
  EXPECT_EQ(Window(), (RECT{240, 120, 400, 320}));
}

TEST_F(BorderSkinDlgTest, LosingTheMouseMidResizeRemovesTheBandAndKeepsTheSize) {
  ASSERT_TRUE(Skin({160, 120}));
  Show();
  // Part of the band's top edge that lies beyond the window, over the desktop.
  auto bandRow = [] {
    std::array<COLORREF, 20> row{};
    for (int i = 0; i < 20; ++i) row[i] = ScreenPixel(280 + i, 120);
    return row;
  };
  const auto desktop = bandRow();
  PressAt(158, 60);
  Mouse(WM_MOUSEMOVE, 218, 60);
  EXPECT_NE(bandRow(), desktop) << "the dotted band shows";
  ::ReleaseCapture();
  EXPECT_FALSE(dlg_->IsResizing());
  EXPECT_EQ(Window(), (RECT{100, 120, 260, 240}));
  EXPECT_EQ(bandRow(), desktop) << "the band is gone";
}

TEST_F(BorderSkinDlgTest, PressOnTheBodyPostsACaptionPressAtItsScreenPoint) {
  ASSERT_TRUE(Skin({160, 120}));
  PressAt(80, 60);
  MSG posted{};
  ASSERT_TRUE(TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
  EXPECT_EQ(posted.wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(fw::PointFromLParam(posted.lParam).x, 180);
  EXPECT_EQ(fw::PointFromLParam(posted.lParam).y, 180);
  dlg_->SetDragMove(FALSE);
  PressAt(80, 60);
  EXPECT_FALSE(TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
}

TEST_F(BorderSkinDlgTest, PressAwayFromTheEdgeLastSeenMovesInsteadOfResizing) {
  ASSERT_TRUE(Skin({160, 120}));
  dlg_->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 60));  // the last move was at the left edge
  Mouse(WM_LBUTTONDOWN, 80, 60);
  EXPECT_FALSE(dlg_->IsResizing());
  MSG posted{};
  EXPECT_TRUE(TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
}

TEST_F(BorderSkinDlgTest, RealMouseDragOfTheBodyMovesTheWindow) {
  ASSERT_TRUE(Skin({160, 120}));
  Show();
  fw::UniqueKernelHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  dlg_->moveLoopEntered = entered.get();
  MouseMoveTo(180, 180);
  MouseLeftDown();
  // The move loop runs inside this thread's dispatch, so another thread moves the hand on.
  std::thread hand([&] {
    ::WaitForSingleObject(entered.get(), 10000);  // the button comes up even if the loop never starts
    MouseMoveTo(200, 190);
    MouseMoveTo(217, 213);
    MouseLeftUp();
  });
  const bool moved = PumpUntil([&] { return dlg_->movedBySystem; });
  hand.join();
  ASSERT_TRUE(moved);
  EXPECT_EQ(Window(), (RECT{137, 153, 297, 273}));
}

}  // namespace
