#include "display/frame_renderer.h"

#include <gtest/gtest.h>

#include "tests/display/test_pixels.h"

namespace {

using display::DrawFrame;
using display_test::Canvas;
using display_test::ColourNear;

constexpr int kCw = 468, kCh = 358;
constexpr RECT kClient{0, 0, kCw, kCh};
constexpr COLORREF kRed = RGB(220, 30, 30);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(30, 30, 220);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kTol = 12;  // HALFTONE is not exact under every GDI

// Navigator box on the view, and a point inside the picture clear of caption and navigator.
constexpr RECT kNavigatorBox{kCw - 95, 3, kCw - 3, 65};

// 640 x 480, red above row 100, blue below row 380, grey between.
FrameBlock BandedFrame() {
  FrameBlock block(640, 480, 24);
  display_test::PaintBands(block, kRed, 100, kGrey, kBlue, 100);
  return block;
}

TEST(DrawFrame, PanYZeroShowsThePictureFromItsBottomEdge) {
  Canvas canvas(kCw, kCh);
  const FrameBlock frame = BandedFrame();
  // At 200 % the view shows the bottom 179 rows (301..479): grey above, the blue band
  // (rows 380 on) from view row 158 down, and no red.
  ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, 200, {0, 0}));
  EXPECT_TRUE(ColourNear(canvas.At(200, 100), kGrey, kTol));
  EXPECT_TRUE(ColourNear(canvas.At(200, 200), kBlue, kTol));
  EXPECT_TRUE(ColourNear(canvas.At(200, kCh - 1), kBlue, kTol));
  EXPECT_EQ(canvas.Count({0, 20, 360, kCh}, kRed, kTol), 0);
}

// Pan Y 0 is the picture's bottom edge at every scale, 100 % included, as the navigator says.
TEST(DrawFrame, PanYZeroIsTheBottomEdgeAt90And100And110Percent) {
  const FrameBlock frame = BandedFrame();
  // The view shows rows 82..479 at 90 %, 122..479 at 100 % and 155..479 at 110 %.
  for (const double scale : {90.0, 100.0, 110.0}) {
    Canvas canvas(kCw, kCh);
    ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, scale, {0, 0}));
    EXPECT_TRUE(ColourNear(canvas.At(200, kCh - 1), kBlue, kTol)) << scale;
    EXPECT_TRUE(ColourNear(canvas.At(200, 30), kGrey, kTol)) << scale;
    EXPECT_EQ(canvas.Count({0, 20, 360, kCh}, kRed, kTol), 0) << scale;
    EXPECT_EQ(canvas.Count({0, 0, 360, 12}, kRed, kTol) > 0, scale < 100) << scale;
  }
}

TEST(DrawFrame, EachPanUnitMovesTheViewOneRowUpAtNaturalSize) {
  Canvas canvas(kCw, kCh);
  const FrameBlock frame = BandedFrame();
  // Pan Y 30 shows rows 92..449: the last 8 red rows at the top, blue from view row 288.
  ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, 100, {0, 30}));
  EXPECT_TRUE(ColourNear(canvas.At(200, 30), kGrey, kTol));
  EXPECT_TRUE(ColourNear(canvas.At(200, 300), kBlue, kTol));
  EXPECT_GT(canvas.Count({0, 0, 360, 8}, kRed, kTol), 0);
  EXPECT_EQ(canvas.Count({0, 10, 360, kCh}, kRed, kTol), 0);
}

TEST(DrawFrame, PanYUpwardShowsTheTopOfThePicture) {
  Canvas canvas(kCw, kCh);
  const FrameBlock frame = BandedFrame();
  const auto g = DrawFrame(canvas.dc(), kClient, frame, 100, {0, 500});
  ASSERT_TRUE(g);
  EXPECT_EQ(g->panY, 122);  // pulled back: the view ends at the picture's top edge
  EXPECT_TRUE(ColourNear(canvas.At(200, 60), kRed, kTol));
  EXPECT_TRUE(ColourNear(canvas.At(200, 200), kGrey, kTol));
  EXPECT_EQ(canvas.Count({0, 20, 360, kCh}, kBlue, kTol), 0);
}

TEST(DrawFrame, SmallPictureIsCentredOnBlack) {
  Canvas canvas(kCw, kCh);
  canvas.Fill(RGB(9, 99, 9));  // anything the frame must cover
  FrameBlock frame(640, 480, 24);
  display_test::PaintSolid(frame, kWhite);
  const auto g = DrawFrame(canvas.dc(), kClient, frame, 50, {0, 0});
  ASSERT_TRUE(g);
  // 320 x 240 at (74, 59).
  EXPECT_TRUE(ColourNear(canvas.At(80, 70), kWhite, kTol));
  EXPECT_TRUE(ColourNear(canvas.At(380, 290), kWhite, kTol));
  EXPECT_TRUE(ColourNear(canvas.At(70, 200), kBlack, 0));
  EXPECT_TRUE(ColourNear(canvas.At(400, 200), kBlack, 0));
  EXPECT_TRUE(ColourNear(canvas.At(200, 40), kBlack, 0));
  EXPECT_TRUE(ColourNear(canvas.At(200, 305), kBlack, 0));
  EXPECT_EQ(canvas.Count({0, 0, kCw, kCh}, RGB(9, 99, 9), 0), 0);
}

TEST(PresentArea, WholeViewUntilThePicturesPlaceIsSettledThenWhatCanHaveChanged) {
  using display::PresentedFrame;
  const PresentedFrame first{kCw, kCh, {74, 59, 394, 299}, {{0, 340, kCw, kCh}}};
  PresentedFrame next{kCw, kCh, {74, 59, 394, 299}, {{2, 1, 60, 16}}};
  EXPECT_FALSE(display::ChangedSincePresented(std::nullopt, next));
  const auto changed = display::ChangedSincePresented(first, next);
  ASSERT_TRUE(changed);
  // The picture, this frame's caption and the last frame's information line, now gone.
  ASSERT_EQ(changed->size(), 3u);
  EXPECT_TRUE(::EqualRect(&(*changed)[2], &first.overlays[0]));
  next.picture = {75, 59, 394, 299};  // moved
  EXPECT_FALSE(display::ChangedSincePresented(first, next));
  next.picture = {};  // not known (a system stretch)
  EXPECT_FALSE(display::ChangedSincePresented(first, next));
  next = first;
  next.viewWidth = kCw + 1;
  EXPECT_FALSE(display::ChangedSincePresented(first, next));
}

// The renderer copies only what changed once the picture's place is settled: an information
// line that goes leaves black behind, and black that nothing drew over is not copied again.
TEST(FrameRenderer, APresentCopiesThePictureAndTheOverlaysOfThisFrameAndTheLast) {
  Canvas canvas(kCw, kCh);
  FrameBlock frame(640, 480, 24);
  display_test::PaintSolid(frame, kGrey);
  display::FrameRenderer renderer;
  display::LiveOverlays line;
  line.infoLine = L"30.0 frames/s   640 \u00D7 480";
  display::DrawFrameOptions withLine;
  withLine.overlays = &line;
  const RECT infoLine{0, kCh - display::kInfoLineHeight, kCw, kCh};
  ASSERT_TRUE(renderer.Draw(canvas.dc(), kClient, frame, 50, {0, 0}, withLine));
  EXPECT_GT(canvas.Count(infoLine, kWhite, 0), 20);

  const RECT untouched{20, 140, 40, 160};  // black beside the picture, under no overlay
  fw::UniqueBrush marker(::CreateSolidBrush(kRed));
  ::FillRect(canvas.dc(), &untouched, marker.get());
  ASSERT_TRUE(renderer.Draw(canvas.dc(), kClient, frame, 50, {0, 0}));
  EXPECT_EQ(canvas.Count(infoLine, kWhite, 0), 0);
  EXPECT_EQ(canvas.Count({0, kCh - 10, 70, kCh}, kBlack, 0), 70 * 10);
  EXPECT_TRUE(ColourNear(canvas.At(200, 200), kGrey, 0));
  EXPECT_TRUE(ColourNear(canvas.At(30, 150), kRed, 0));

  ASSERT_TRUE(renderer.Draw(canvas.dc(), kClient, frame, 40, {0, 0}));  // the picture moved
  EXPECT_TRUE(ColourNear(canvas.At(30, 150), kBlack, 0));
}

TEST(DrawFrame, CaptionIsDrawnInGoldOverABlackShadow) {
  Canvas canvas(kCw, kCh);
  FrameBlock frame(640, 480, 24);
  display_test::PaintSolid(frame, kWhite);
  ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, 300, {0, 0}));
  const RECT captionArea{0, 0, 200, 24};
  EXPECT_GT(canvas.Count(captionArea, display::kCaptionColour, 0), 20);
  EXPECT_GT(canvas.Count(captionArea, kBlack, 0), 10);  // the shadow on a white picture
  // Nothing of it below the caption line.
  EXPECT_EQ(canvas.Count({0, 24, 200, 80}, display::kCaptionColour, 0), 0);
}

TEST(DrawFrame, ARecordingShowsARedDotAndItsTimeLeftOfTheNavigator) {
  Canvas plain(kCw, kCh), recording(kCw, kCh);
  FrameBlock frame(640, 480, 24);
  display_test::PaintSolid(frame, kWhite);
  ASSERT_TRUE(DrawFrame(plain.dc(), kClient, frame, 100, {0, 0}));
  display::DrawFrameOptions options;
  options.recordingSeconds = 83.0;
  ASSERT_TRUE(DrawFrame(recording.dc(), kClient, frame, 100, {0, 0}, options));
  const RECT markArea{kNavigatorBox.left - 90, 0, kNavigatorBox.left, 20};
  EXPECT_EQ(plain.Count(markArea, RGB(230, 30, 30), kTol), 0);
  EXPECT_GT(recording.Count(markArea, RGB(230, 30, 30), kTol), 40);      // the dot
  EXPECT_GT(recording.Count(markArea, display::kCaptionColour, 0), 20);  // "00:01:23"
  EXPECT_EQ(recording.Count(kNavigatorBox, RGB(230, 30, 30), kTol), 0) << "the navigator stays clear";
}

TEST(DrawFrame, LongerCaptionCoversMoreText) {
  Canvas small(kCw, kCh), large(kCw, kCh);
  const FrameBlock frame(640, 480, 24);  // black
  ASSERT_TRUE(DrawFrame(small.dc(), kClient, frame, 10, {0, 0}));
  ASSERT_TRUE(DrawFrame(large.dc(), kClient, frame, 300, {0, 0}));
  const RECT captionArea{0, 0, 250, 24};
  EXPECT_GT(large.Count(captionArea, display::kCaptionColour, 0), small.Count(captionArea, display::kCaptionColour, 0));
}

TEST(DrawFrame, NavigatorIsATranslucentBoxWithTheViewOutlined) {
  Canvas canvas(kCw, kCh);
  const FrameBlock frame(640, 480, 24);  // black, so the box shows at 100/255 of its colours
  ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, 100, {0, 0}));
  const int bx = kNavigatorBox.left, by = kNavigatorBox.top;
  const COLORREF borderOnBlack = RGB(100, 100, 100);
  const COLORREF orangeOnBlack = RGB(100, 47, 0);
  EXPECT_TRUE(ColourNear(canvas.At(bx, by + 30), borderOnBlack, 2));       // left border
  EXPECT_TRUE(ColourNear(canvas.At(bx + 91, by + 30), borderOnBlack, 2));  // right border
  EXPECT_TRUE(ColourNear(canvas.At(bx + 40, by), borderOnBlack, 2));       // top border
  // View rectangle (1, 16, 67, 61): its left edge, its top edge, and black inside.
  EXPECT_TRUE(ColourNear(canvas.At(bx + 1, by + 30), orangeOnBlack, 2));
  EXPECT_TRUE(ColourNear(canvas.At(bx + 30, by + 16), orangeOnBlack, 2));
  EXPECT_TRUE(ColourNear(canvas.At(bx + 66, by + 30), orangeOnBlack, 2));
  EXPECT_TRUE(ColourNear(canvas.At(bx + 30, by + 30), kBlack, 0));
  EXPECT_TRUE(ColourNear(canvas.At(bx + 30, by + 10), kBlack, 0));  // above the view rectangle
  EXPECT_TRUE(ColourNear(canvas.At(bx - 2, by + 30), kBlack, 0));   // left of the box
}

TEST(DrawFrame, NavigatorDimsThePictureBehindIt) {
  Canvas canvas(kCw, kCh);
  FrameBlock frame(640, 480, 24);
  display_test::PaintSolid(frame, kWhite);
  ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, 100, {0, 0}));
  // Black at 100/255 over white leaves 155.
  EXPECT_TRUE(ColourNear(canvas.At(kNavigatorBox.left + 30, kNavigatorBox.top + 30), RGB(155, 155, 155), 3));
}

TEST(DrawFrame, EmptyViewOrPictureDrawsNothing) {
  Canvas canvas(16, 16);
  canvas.Fill(kRed);
  const FrameBlock frame(640, 480, 24);
  EXPECT_FALSE(DrawFrame(canvas.dc(), RECT{0, 0, 0, 16}, frame, 100, {0, 0}));
  EXPECT_FALSE(DrawFrame(canvas.dc(), RECT{0, 0, 16, 0}, frame, 100, {0, 0}));
  EXPECT_FALSE(DrawFrame(canvas.dc(), RECT{0, 0, 16, 16}, FrameBlock(0, 0, 24), 100, {0, 0}));
  EXPECT_FALSE(DrawFrame(canvas.dc(), RECT{0, 0, 16, 16}, frame, 0, {0, 0}));
  EXPECT_EQ(canvas.Count({0, 0, 16, 16}, kRed, 0), 16 * 16);
}

TEST(DrawFrame, LeavesNoGdiObjectBehind) {
  Canvas canvas(kCw, kCh);
  const FrameBlock frame = BandedFrame();
  ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, 100, {0, 0}));  // warm up stock objects
  const DWORD before = display_test::GdiObjectCount();
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(DrawFrame(canvas.dc(), kClient, frame, 50 + 10 * i, {i, i}));
  EXPECT_EQ(display_test::GdiObjectCount(), before);
}

}  // namespace

namespace {
TEST(GdiCount, SeesALeakedObject) {
  const DWORD before = display_test::GdiObjectCount();
  fw::UniqueBrush leaked(::CreateSolidBrush(RGB(1, 1, 1)));
  EXPECT_EQ(display_test::GdiObjectCount(), before + 1);
}
}  // namespace
