// CBorderSkinDlg as a user meets it: skinned, shaped, painted, resized at its edges and moved
// by its body.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <thread>

#include "skin/border_skin_dlg.h"
#include "skin/message_args.h"
#include "skin/resize_zone.h"
#include "skin/skin_key.h"
#include "tests/skin/skin_test_ids.h"
#include "tests/skin/skin_test_support.h"

namespace {

using skin::kSkinKeyColor;
using skin_test::Canvas;
using skin_test::IsLiveBitmap;
using skin_test::MakeBitmap;
using skin_test::MakeSolidBitmap;

constexpr COLORREF kTop = RGB(200, 0, 0);
constexpr COLORREF kBottom = RGB(0, 200, 0);
constexpr COLORREF kLeft = RGB(0, 0, 200);
constexpr COLORREF kRight = RGB(200, 200, 0);
constexpr COLORREF kCorner = RGB(0, 200, 200);
constexpr COLORREF kFill = RGB(40, 50, 60);

// A 4 x 4 corner whose three outermost pixels at (cornerX, cornerY) are the key colour.
HBITMAP MakeCorner(int cornerX, int cornerY) {
  return MakeBitmap(4, 4, [=](int x, int y) {
    const int dx = x > cornerX ? x - cornerX : cornerX - x;
    const int dy = y > cornerY ? y - cornerY : cornerY - y;
    return dx + dy <= 1 ? kSkinKeyColor : kCorner;
  });
}

struct BorderSet {
  std::array<HBITMAP, 8> pieces{MakeSolidBitmap(4, 4, kTop),  MakeSolidBitmap(4, 4, kBottom),
                                MakeSolidBitmap(4, 4, kLeft), MakeSolidBitmap(4, 4, kRight),
                                MakeCorner(0, 0),             MakeCorner(3, 0),
                                MakeCorner(0, 3),             MakeCorner(3, 3)};
};

// Records the system's move loop around the window, as a derived window would see it.
class TestBorderDlg : public CBorderSkinDlg {
 public:
  TestBorderDlg() : CBorderSkinDlg(IDD_TEST_BORDER) {}
  HANDLE moveLoopEntered = nullptr;  // not owned; set when the system's move loop starts
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
    skin_test::UseTestResources();
    dlg_ = std::make_unique<TestBorderDlg>();
    ASSERT_TRUE(dlg_->Create(IDD_TEST_BORDER));
    dlg_->SetWindowPos(HWND_TOP, kOrigin.x, kOrigin.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // Skins the window in the order the video window uses; the base size is `base`.
  void Skin(SIZE base, BorderSet set = {}) {
    dlg_->SetDragMove(TRUE);
    ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakeSolidBitmap(base.cx, base.cy, RGB(9, 9, 9))));
    ASSERT_TRUE(dlg_->SetBorderBitmaps(set.pieces[0], set.pieces[1], set.pieces[2], set.pieces[3], set.pieces[4],
                                       set.pieces[5], set.pieces[6], set.pieces[7]));
    dlg_->SetFillColor(kFill);
  }

  void Show() {
    dlg_->ShowWindow(SW_SHOW);
    ::UpdateWindow(*dlg_);
    skin_test::PumpPending();
  }

  // What the window paints over its client area.
  void Erase(const Canvas& canvas) { dlg_->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc())); }

  SIZE WindowSize() const {
    const RECT r = dlg_->GetWindowRect();
    return {r.right - r.left, r.bottom - r.top};
  }

  void Mouse(UINT msg, int x, int y, WPARAM keys = 0) { dlg_->SendMessage(msg, keys, MAKELPARAM(x, y)); }

  // Presses at a client point after the pointer came there, as a hand on the mouse does.
  void PressAt(int x, int y) {
    Mouse(WM_MOUSEMOVE, x, y);
    Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
  }

  static constexpr POINT kOrigin{100, 120};
  std::unique_ptr<TestBorderDlg> dlg_;
};

// ---- Skin, size and shape ----

TEST_F(BorderSkinDlgTest, BorderPiecesSizeTheWindowToTheBackground) {
  Skin({160, 120});
  EXPECT_EQ(WindowSize().cx, 160);
  EXPECT_EQ(WindowSize().cy, 120);
  const RECT r = dlg_->GetWindowRect();
  EXPECT_EQ(r.left, kOrigin.x) << "sizing must not move the window";
  EXPECT_EQ(r.top, kOrigin.y);
}

TEST_F(BorderSkinDlgTest, WindowOfTheBaseSizeIsCutToTheOpaquePixelsOfItsFrame) {
  const SIZE base = WindowSize();  // no size change, so the scanned shape stays
  Skin(base);
  fw::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(*dlg_, shape.get()), ERROR);

  fw::UniqueRegion expected(::CreateRectRgn(0, 0, base.cx, base.cy));
  const int W = base.cx, H = base.cy;
  const POINT keyPixels[] = {{0, 0},         {1, 0},         {0, 1},         {W - 1, 0},     {W - 2, 0},
                             {W - 1, 1},     {0, H - 1},     {1, H - 1},     {0, H - 2},     {W - 1, H - 1},
                             {W - 2, H - 1}, {W - 1, H - 2}};
  for (const POINT& p : keyPixels) {
    fw::UniqueRegion hole(::CreateRectRgn(p.x, p.y, p.x + 1, p.y + 1));
    ::CombineRgn(expected.get(), expected.get(), hole.get(), RGN_DIFF);
  }
  EXPECT_TRUE(skin_test::SameArea(shape.get(), expected.get()));
  EXPECT_FALSE(::PtInRegion(shape.get(), 0, 0));
  EXPECT_TRUE(::PtInRegion(shape.get(), 2, 0));
  EXPECT_TRUE(::PtInRegion(shape.get(), 1, 1));
}

TEST_F(BorderSkinDlgTest, AnyResizeReplacesTheScannedShapeWithTheRoundedRectangle) {
  Skin(WindowSize());
  dlg_->MoveWindow(kOrigin.x, kOrigin.y, 230, 170);
  fw::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(*dlg_, shape.get()), ERROR);
  fw::UniqueRegion rounded(::CreateRoundRectRgn(0, 0, 231, 171, 4, 4));
  EXPECT_TRUE(skin_test::SameArea(shape.get(), rounded.get()));
}

TEST_F(BorderSkinDlgTest, ErasePaintsTheComposedFrame) {
  Skin({160, 120});
  Canvas face(160, 120);
  Erase(face);
  EXPECT_EQ(face.At(80, 1), kTop);
  EXPECT_EQ(face.At(80, 118), kBottom);
  EXPECT_EQ(face.At(1, 60), kLeft);
  EXPECT_EQ(face.At(158, 60), kRight);
  EXPECT_EQ(face.At(3, 3), kCorner);
  EXPECT_EQ(face.At(0, 0), kSkinKeyColor);
  EXPECT_EQ(face.At(159, 119), kSkinKeyColor);
  // The fill colour came after the pieces, so the first composition still used black.
  EXPECT_EQ(face.At(80, 60), RGB(0, 0, 0));
}

TEST_F(BorderSkinDlgTest, ResizeRecomposesTheFrameWithTheCurrentFillColour) {
  Skin({160, 120});
  dlg_->MoveWindow(kOrigin.x, kOrigin.y, 250, 180);
  Canvas face(250, 180);
  Erase(face);
  EXPECT_EQ(face.At(125, 90), kFill);
  EXPECT_EQ(face.At(248, 90), kRight) << "the right edge follows the new width";
  EXPECT_EQ(face.At(125, 178), kBottom);
  EXPECT_EQ(face.At(4, 4), kFill) << "inside the one-pixel outline, which the edges cover";
}

TEST_F(BorderSkinDlgTest, WithoutBackgroundNothingIsErased) {
  Canvas face(50, 50);
  Erase(face);
  EXPECT_EQ(face.At(10, 10), RGB(1, 2, 3));
}

TEST_F(BorderSkinDlgTest, ShownWindowShowsItsFrameOnTheScreen) {
  Skin({160, 120});
  dlg_->MoveWindow(kOrigin.x, kOrigin.y, 200, 150);
  Show();
  ASSERT_TRUE(skin_test::PumpUntil([&] { return skin_test::ScreenPixel(kOrigin.x + 100, kOrigin.y + 1) == kTop; }));
  EXPECT_EQ(skin_test::ScreenPixel(kOrigin.x + 1, kOrigin.y + 75), kLeft);
  EXPECT_EQ(skin_test::ScreenPixel(kOrigin.x + 100, kOrigin.y + 148), kBottom);
}

// ---- Incomplete and unreadable pieces, ownership ----

TEST_F(BorderSkinDlgTest, MissingPieceKeepsTheOthersComposesNothingAndStillSizes) {
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakeSolidBitmap(160, 120, RGB(9, 9, 9))));
  BorderSet set;
  const HBITMAP missing = set.pieces[3];
  set.pieces[3] = nullptr;
  EXPECT_TRUE(dlg_->SetBorderBitmaps(set.pieces[0], set.pieces[1], set.pieces[2], nullptr, set.pieces[4],
                                     set.pieces[5], set.pieces[6], set.pieces[7]));
  ::DeleteObject(missing);
  EXPECT_EQ(WindowSize().cx, 160);
  EXPECT_EQ(WindowSize().cy, 120);
  for (HBITMAP kept : set.pieces) {
    if (kept) {
      EXPECT_TRUE(IsLiveBitmap(kept));
    }
  }
  fw::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_EQ(::GetWindowRgn(*dlg_, shape.get()), ERROR) << "no frame, so no shape";
  dlg_->SetFillColor(kFill);
  Canvas face(160, 120);
  Erase(face);
  EXPECT_EQ(face.At(1, 60), kFill) << "no frame to copy: the interior colour shows";
}

TEST_F(BorderSkinDlgTest, UnreadablePieceDeletesTheWholeSet) {
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(MakeSolidBitmap(160, 120, RGB(9, 9, 9))));
  BorderSet set;
  ::DeleteObject(set.pieces[5]);
  EXPECT_FALSE(dlg_->SetBorderBitmaps(set.pieces[0], set.pieces[1], set.pieces[2], set.pieces[3], set.pieces[4],
                                      set.pieces[5], set.pieces[6], set.pieces[7]));
  for (HBITMAP piece : set.pieces) EXPECT_FALSE(IsLiveBitmap(piece));
}

TEST_F(BorderSkinDlgTest, UnreadableBackgroundIsRefusedAndDeleted) {
  HBITMAP notABitmap = MakeSolidBitmap(10, 10, kTop);
  ::DeleteObject(notABitmap);
  EXPECT_FALSE(dlg_->SetBackgroundBitmap(notABitmap));
  Canvas face(50, 50);
  Erase(face);
  EXPECT_EQ(face.At(10, 10), RGB(1, 2, 3)) << "no background, so the erase draws nothing";
}

TEST_F(BorderSkinDlgTest, ReplacedAndDestroyedBitmapsAreDeleted) {
  const HBITMAP first = MakeSolidBitmap(160, 120, RGB(9, 9, 9));
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(first));
  const HBITMAP second = MakeSolidBitmap(170, 130, RGB(9, 9, 9));
  ASSERT_TRUE(dlg_->SetBackgroundBitmap(second));
  EXPECT_FALSE(IsLiveBitmap(first));
  BorderSet oldSet;
  ASSERT_TRUE(dlg_->SetBorderBitmaps(oldSet.pieces[0], oldSet.pieces[1], oldSet.pieces[2], oldSet.pieces[3],
                                     oldSet.pieces[4], oldSet.pieces[5], oldSet.pieces[6], oldSet.pieces[7]));
  BorderSet newSet;
  ASSERT_TRUE(dlg_->SetBorderBitmaps(newSet.pieces[0], newSet.pieces[1], newSet.pieces[2], newSet.pieces[3],
                                     newSet.pieces[4], newSet.pieces[5], newSet.pieces[6], newSet.pieces[7]));
  for (HBITMAP piece : oldSet.pieces) EXPECT_FALSE(IsLiveBitmap(piece));
  for (HBITMAP piece : newSet.pieces) EXPECT_TRUE(IsLiveBitmap(piece));
  EXPECT_TRUE(IsLiveBitmap(second));

  dlg_.reset();
  EXPECT_FALSE(IsLiveBitmap(second));
  for (HBITMAP piece : newSet.pieces) EXPECT_FALSE(IsLiveBitmap(piece));
}

// ---- Resizing at the edges ----

TEST_F(BorderSkinDlgTest, PointerAtAnEdgeShowsTheResizeCursor) {
  Skin({160, 120});
  Mouse(WM_MOUSEMOVE, 5, 60);
  EXPECT_EQ(dlg_->GetResizeZone(), skin::kZoneLeft);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZEWE));
  Mouse(WM_MOUSEMOVE, 6, 60);
  EXPECT_EQ(dlg_->GetResizeZone(), skin::kZoneNone);
  Mouse(WM_MOUSEMOVE, 2, 3);
  EXPECT_EQ(dlg_->GetResizeZone(), skin::kZoneTopLeft);
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_SIZENWSE));
  Mouse(WM_MOUSEMOVE, 157, 118);
  EXPECT_EQ(dlg_->GetResizeZone(), skin::kZoneBottomRight);
}

TEST_F(BorderSkinDlgTest, DraggingTheRightEdgeResizesOnlyAtTheRelease) {
  Skin({160, 120});
  Show();
  const RECT before = dlg_->GetWindowRect();
  PressAt(158, 60);
  ASSERT_TRUE(dlg_->IsResizing());
  EXPECT_EQ(::GetCapture(), dlg_->m_hWnd);
  EXPECT_EQ(dlg_->GetDrawnBand(), before);

  Mouse(WM_MOUSEMOVE, 158 + 60, 90, MK_LBUTTON);
  const RECT band{before.left, before.top, before.left + 218, before.bottom};
  EXPECT_EQ(dlg_->GetDrawnBand(), band);
  EXPECT_EQ(dlg_->GetWindowRect(), before) << "the window waits for the release";

  Mouse(WM_LBUTTONUP, 158 + 60, 90);
  EXPECT_FALSE(dlg_->IsResizing());
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(dlg_->GetWindowRect(), band);
  EXPECT_EQ(dlg_->GetDrawnBand(), (RECT{0, 0, 0, 0}));
  EXPECT_EQ(dlg_->GetResizeZone(), skin::kZoneRight) << "the zone stays after the release";
  fw::UniqueRegion shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(*dlg_, shape.get()), ERROR);
  fw::UniqueRegion rounded(::CreateRoundRectRgn(0, 0, 219, 121, 4, 4));
  EXPECT_TRUE(skin_test::SameArea(shape.get(), rounded.get()));
}

TEST_F(BorderSkinDlgTest, TopLeftCornerMovesTwoEdgesAndKeepsTheOppositeCorner) {
  Skin({160, 120});
  dlg_->MoveWindow(kOrigin.x, kOrigin.y, 300, 200);
  PressAt(1, 1);
  Mouse(WM_MOUSEMOVE, -40, -30, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, -40, -30);
  EXPECT_EQ(dlg_->GetWindowRect(), (RECT{kOrigin.x - 40, kOrigin.y - 30, kOrigin.x + 300, kOrigin.y + 200}));
}

TEST_F(BorderSkinDlgTest, LeftEdgeDraggedPastTheMinimumStopsAtTheBaseWidth) {
  Skin({160, 120});
  dlg_->MoveWindow(kOrigin.x, kOrigin.y, 300, 200);
  PressAt(2, 100);
  Mouse(WM_MOUSEMOVE, 290, 100, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 290, 100);
  EXPECT_EQ(dlg_->GetWindowRect(), (RECT{kOrigin.x + 300 - 160, kOrigin.y, kOrigin.x + 300, kOrigin.y + 200}));
}

TEST_F(BorderSkinDlgTest, BottomEdgeDraggedUpwardsStopsAtTheBaseHeight) {
  Skin({160, 120});
  dlg_->MoveWindow(kOrigin.x, kOrigin.y, 300, 200);
  PressAt(150, 198);
  Mouse(WM_MOUSEMOVE, 150, 10, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 150, 10);
  EXPECT_EQ(dlg_->GetWindowRect(), (RECT{kOrigin.x, kOrigin.y, kOrigin.x + 300, kOrigin.y + 120}));
}

TEST_F(BorderSkinDlgTest, ReleaseWithoutResizeChangesNothing) {
  Skin({160, 120});
  const RECT before = dlg_->GetWindowRect();
  Mouse(WM_MOUSEMOVE, 80, 60);
  Mouse(WM_LBUTTONUP, 80, 60);
  EXPECT_EQ(dlg_->GetWindowRect(), before);
  EXPECT_FALSE(dlg_->IsResizing());
}

TEST_F(BorderSkinDlgTest, LosingTheMouseMidResizeRemovesTheBandAndKeepsTheSize) {
  Skin({160, 120});
  Show();
  const RECT before = dlg_->GetWindowRect();
  // A row of the band's top edge that lies beyond the window, over the desktop.
  const int y = before.top;
  auto bandRow = [&] {
    std::array<COLORREF, 20> row{};
    for (int i = 0; i < 20; ++i) row[i] = skin_test::ScreenPixel(before.right + 20 + i, y);
    return row;
  };
  const auto desktop = bandRow();
  PressAt(158, 60);
  Mouse(WM_MOUSEMOVE, 158 + 60, 60, MK_LBUTTON);
  EXPECT_NE(bandRow(), desktop) << "the dotted band shows on the screen";

  ::ReleaseCapture();
  EXPECT_FALSE(dlg_->IsResizing());
  EXPECT_EQ(dlg_->GetWindowRect(), before);
  EXPECT_EQ(bandRow(), desktop) << "the band is gone";
}

TEST_F(BorderSkinDlgTest, RealMouseDragOfTheRightEdgeResizesTheWindow) {
  Skin({160, 120});
  Show();
  const RECT before = dlg_->GetWindowRect();
  // Each step waits for the window to take the last one: input is given to a window when it
  // is queued, so a move queued before the capture would go to the desktop.
  skin_test::MouseMoveTo(before.right - 2, before.top + 60);
  ASSERT_TRUE(skin_test::PumpUntil([&] { return dlg_->GetResizeZone() == skin::kZoneRight; }));
  skin_test::MouseLeftDown();
  ASSERT_TRUE(skin_test::PumpUntil([&] { return dlg_->IsResizing() != FALSE; }));
  skin_test::MouseMoveTo(before.right + 50, before.top + 80);
  ASSERT_TRUE(skin_test::PumpUntil([&] { return dlg_->GetDrawnBand().right == before.right + 50; }));
  skin_test::MouseLeftUp();
  ASSERT_TRUE(skin_test::PumpUntil([&] { return !dlg_->IsResizing(); }));
  EXPECT_EQ(dlg_->GetWindowRect(), (RECT{before.left, before.top, before.right + 50, before.bottom}));
}

// ---- Moving by the body ----

TEST_F(BorderSkinDlgTest, PressOnTheBodyHandsTheDragToTheSystemMoveLoop) {
  Skin({160, 120});
  PressAt(80, 60);
  EXPECT_FALSE(dlg_->IsResizing());
  MSG posted{};
  ASSERT_TRUE(skin_test::TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
  EXPECT_EQ(posted.wParam, static_cast<WPARAM>(HTCAPTION));
  const RECT r = dlg_->GetWindowRect();
  const POINT at = skin::PointFromLParam(posted.lParam);
  EXPECT_EQ(at.x, r.left + 80) << "the caption press is in screen coordinates";
  EXPECT_EQ(at.y, r.top + 60);
}

TEST_F(BorderSkinDlgTest, DragToMoveOffLeavesThePressAlone) {
  Skin({160, 120});
  dlg_->SetDragMove(FALSE);
  PressAt(80, 60);
  MSG posted{};
  EXPECT_FALSE(skin_test::TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
}

TEST_F(BorderSkinDlgTest, PressAwayFromTheEdgeLastSeenMovesInsteadOfResizing) {
  Skin({160, 120});
  Mouse(WM_MOUSEMOVE, 2, 60);  // the last move was at the left edge...
  Mouse(WM_LBUTTONDOWN, 80, 60, MK_LBUTTON);  // ...but the press is in the body
  EXPECT_FALSE(dlg_->IsResizing());
  MSG posted{};
  EXPECT_TRUE(skin_test::TakePosted(*dlg_, WM_NCLBUTTONDOWN, &posted));
}

TEST_F(BorderSkinDlgTest, RealMouseDragOfTheBodyMovesTheWindow) {
  Skin({160, 120});
  Show();
  const RECT before = dlg_->GetWindowRect();
  fw::UniqueKernelHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  dlg_->moveLoopEntered = entered.get();
  skin_test::MouseMoveTo(before.left + 80, before.top + 60);
  skin_test::MouseLeftDown();
  // The move loop runs inside this thread's dispatch; the hand that moves on is another thread.
  std::thread hand([&] {
    ::WaitForSingleObject(entered.get(), 10000);  // the button comes up even if the loop never starts
    skin_test::MouseMoveTo(before.left + 100, before.top + 70);
    skin_test::MouseMoveTo(before.left + 117, before.top + 93);
    skin_test::MouseLeftUp();
  });
  const bool moved = skin_test::PumpUntil([&] { return dlg_->movedBySystem; });
  hand.join();
  ASSERT_TRUE(moved);
  const RECT after = dlg_->GetWindowRect();
  EXPECT_EQ(after.left, before.left + 37);
  EXPECT_EQ(after.top, before.top + 33);
  EXPECT_EQ(after.right - after.left, 160);
}

}  // namespace
