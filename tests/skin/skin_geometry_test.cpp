// The skin's arithmetic: resize zones and the band, region runs, background layout, button states.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "skin/background_layout.h"
#include "skin/button_state.h"
#include "skin/region_scan.h"
#include "skin/resize_zone.h"
#include "skin/skin_key.h"
#include "tests/skin/skin_test_support.h"

namespace {

using namespace skin;

const RECT kClient{0, 0, 200, 100};

TEST(SkinResizeZone, EdgeGripIsFivePixelsInclusive) {
  EXPECT_EQ(ResizeZoneAt(kClient, {5, 50}), kZoneLeft);
  EXPECT_EQ(ResizeZoneAt(kClient, {6, 50}), kZoneNone);
  EXPECT_EQ(ResizeZoneAt(kClient, {195, 50}), kZoneRight);
  EXPECT_EQ(ResizeZoneAt(kClient, {194, 50}), kZoneNone);
  EXPECT_EQ(ResizeZoneAt(kClient, {100, 5}), kZoneTop);
  EXPECT_EQ(ResizeZoneAt(kClient, {100, 6}), kZoneNone);
  EXPECT_EQ(ResizeZoneAt(kClient, {100, 95}), kZoneBottom);
  EXPECT_EQ(ResizeZoneAt(kClient, {100, 94}), kZoneNone);
}

TEST(SkinResizeZone, CornersWinOverTheirEdges) {
  EXPECT_EQ(ResizeZoneAt(kClient, {3, 4}), kZoneTopLeft);
  EXPECT_EQ(ResizeZoneAt(kClient, {197, 0}), kZoneTopRight);
  EXPECT_EQ(ResizeZoneAt(kClient, {199, 99}), kZoneBottomRight);
  EXPECT_EQ(ResizeZoneAt(kClient, {0, 96}), kZoneBottomLeft);
}

TEST(SkinResizeZone, PointsOutsideTheClientAreaStillFindTheNearestEdge) {
  // A captured pointer can be anywhere; beyond an edge still counts as that edge.
  EXPECT_EQ(ResizeZoneAt(kClient, {-30, 50}), kZoneLeft);
  EXPECT_EQ(ResizeZoneAt(kClient, {100, 400}), kZoneBottom);
}

TEST(SkinResizeZone, ClientRectangleNotAtTheOriginIsRespected) {
  const RECT shifted{10, 20, 110, 120};
  EXPECT_EQ(ResizeZoneAt(shifted, {15, 70}), kZoneLeft);
  EXPECT_EQ(ResizeZoneAt(shifted, {16, 70}), kZoneNone);
  EXPECT_EQ(ResizeZoneAt(shifted, {60, 25}), kZoneTop);
}

TEST(SkinResizeZone, DiagonalCornersShareDiagonalCursors) {
  EXPECT_EQ(ResizeZoneCursor(kZoneTopLeft), IDC_SIZENWSE);
  EXPECT_EQ(ResizeZoneCursor(kZoneBottomRight), IDC_SIZENWSE);
  EXPECT_EQ(ResizeZoneCursor(kZoneTopRight), IDC_SIZENESW);
  EXPECT_EQ(ResizeZoneCursor(kZoneBottomLeft), IDC_SIZENESW);
  EXPECT_EQ(ResizeZoneCursor(kZoneTop), IDC_SIZENS);
  EXPECT_EQ(ResizeZoneCursor(kZoneBottom), IDC_SIZENS);
  EXPECT_EQ(ResizeZoneCursor(kZoneLeft), IDC_SIZEWE);
  EXPECT_EQ(ResizeZoneCursor(kZoneRight), IDC_SIZEWE);
  EXPECT_EQ(ResizeZoneCursor(kZoneNone), nullptr);
}

// A window of 300 x 200 at (100, 100) whose minimum is 120 x 90.
const RECT kWindow{100, 100, 400, 300};
const SIZE kMinimum{120, 90};

TEST(SkinResizeBand, OnlyTheZonesEdgesFollowThePointer) {
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneRight, {450, 10}, kWindow, kMinimum), (RECT{100, 100, 450, 300}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneTop, {0, 60}, kWindow, kMinimum), (RECT{100, 60, 400, 300}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneTopLeft, {50, 60}, kWindow, kMinimum), (RECT{50, 60, 400, 300}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneTopRight, {450, 60}, kWindow, kMinimum), (RECT{100, 60, 450, 300}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneBottomRight, {450, 350}, kWindow, kMinimum),
            (RECT{100, 100, 450, 350}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneBottomLeft, {50, 350}, kWindow, kMinimum), (RECT{50, 100, 400, 350}));
}

TEST(SkinResizeBand, EdgesPastTheMinimumStopAtExactlyTheMinimumSize) {
  const RECT left = TrackResizeBand(kWindow, kZoneLeft, {390, 200}, kWindow, kMinimum);
  EXPECT_EQ(left, (RECT{400 - 120, 100, 400, 300}));
  const RECT bottom = TrackResizeBand(kWindow, kZoneBottom, {200, 110}, kWindow, kMinimum);
  EXPECT_EQ(bottom, (RECT{100, 100, 400, 100 + 90}));
  const RECT top = TrackResizeBand(kWindow, kZoneTop, {200, 1000}, kWindow, kMinimum);
  EXPECT_EQ(top.top, 300 - 90);
  const RECT right = TrackResizeBand(kWindow, kZoneRight, {-500, 200}, kWindow, kMinimum);
  EXPECT_EQ(right.right, 100 + 120);
}

TEST(SkinResizeBand, EdgesNotInTheZoneKeepWhereTheyWereAtThePress) {
  // After moving the right edge out, a later move keeps the left, top and bottom of the press.
  RECT band = TrackResizeBand(kWindow, kZoneRight, {500, 200}, kWindow, kMinimum);
  band = TrackResizeBand(band, kZoneRight, {460, 250}, kWindow, kMinimum);
  EXPECT_EQ(band, (RECT{100, 100, 460, 300}));
}

TEST(SkinResizeBand, NoZoneMovesNothing) {
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneNone, {0, 0}, kWindow, kMinimum), kWindow);
}

const COLORREF K = kSkinKeyColor;
const COLORREF A = RGB(1, 2, 3);

TEST(SkinRegionRuns, RowOfKeyColourOnlyAddsNothing) {
  const std::vector<COLORREF> row(20, K);
  EXPECT_TRUE(OpaqueRuns(row, K).empty());
  EXPECT_TRUE(OpaqueRuns({}, K).empty());
}

TEST(SkinRegionRuns, RunsStopAtKeyPixelsAndAtTheEndOfTheRow) {
  const std::vector<COLORREF> row{K, K, A, A, K, A, K, K, A, A, A};
  EXPECT_EQ(OpaqueRuns(row, K), (std::vector<PixelRun>{{2, 4}, {5, 6}, {8, 11}}));
}

TEST(SkinRegionRuns, OnlyTheExactKeyColourIsTransparent) {
  const std::vector<COLORREF> row{RGB(205, 135, 136), K, RGB(204, 135, 135)};
  EXPECT_EQ(OpaqueRuns(row, K), (std::vector<PixelRun>{{0, 1}, {2, 3}}));
}

TEST(SkinRegionRuns, OpaqueRowIsOneRun) {
  const std::vector<COLORREF> row(478, A);
  EXPECT_EQ(OpaqueRuns(row, K), (std::vector<PixelRun>{{0, 478}}));
}

TEST(SkinBackgroundLayout, TenPixelTilesCoverTwentyFiveWithNineCopiesRowByRow) {
  const std::vector<POINT> at = TilePositions({25, 25}, {10, 10});
  const std::vector<POINT> expected{{0, 0},  {10, 0},  {20, 0},  {0, 10}, {10, 10},
                                    {20, 10}, {0, 20}, {10, 20}, {20, 20}};
  ASSERT_EQ(at.size(), expected.size());
  for (size_t i = 0; i < at.size(); ++i) {
    EXPECT_EQ(at[i].x, expected[i].x) << i;
    EXPECT_EQ(at[i].y, expected[i].y) << i;
  }
}

TEST(SkinBackgroundLayout, ExactFitNeedsNoPartialTiles) {
  EXPECT_EQ(TilePositions({20, 10}, {10, 10}).size(), 2u);
  EXPECT_TRUE(TilePositions({0, 10}, {10, 10}).empty());
}

TEST(SkinBackgroundLayout, EmptyTileGivesNoPositionsInsteadOfLoopingForever) {
  EXPECT_TRUE(TilePositions({25, 25}, {0, 10}).empty());
  EXPECT_TRUE(TilePositions({25, 25}, {10, 0}).empty());
}

TEST(SkinBackgroundLayout, SmallerPictureIsCentred) {
  const POINT at = CenterOffset({30, 40}, {10, 10});
  EXPECT_EQ(at.x, 10);
  EXPECT_EQ(at.y, 15);
}

TEST(SkinBackgroundLayout, LargerPictureGetsNegativeOffsetsThatKeepItsMiddleInView) {
  const POINT at = CenterOffset({274, 178}, {500, 350});
  EXPECT_EQ(at.x, -113);
  EXPECT_EQ(at.y, -86);
}

TEST(SkinButtonState, DisabledBeatsPressedBeatsHover) {
  EXPECT_EQ(ChooseButtonState(false, false, false), kStateNormal);
  EXPECT_EQ(ChooseButtonState(false, false, true), kStateHover);
  EXPECT_EQ(ChooseButtonState(false, true, true), kStatePressed);
  EXPECT_EQ(ChooseButtonState(false, true, false), kStatePressed);
  EXPECT_EQ(ChooseButtonState(true, false, true), kStateDisabled);
  EXPECT_EQ(ChooseButtonState(true, true, true), kStateDisabled);
}

TEST(SkinButtonState, StripWidthIsCutIntoFourAndTheRemainderDropped) {
  EXPECT_EQ(StripStateSize({44, 11}).cx, 11);
  EXPECT_EQ(StripStateSize({45, 11}).cx, 11);
  EXPECT_EQ(StripStateSize({904, 25}).cx, 226);
  EXPECT_EQ(StripStateSize({104, 22}).cy, 22);
}

TEST(SkinButtonState, StatesSitSideBySideFromTheLeft) {
  EXPECT_EQ(StripStateOrigin(kStateNormal, {26, 22}).x, 0);
  EXPECT_EQ(StripStateOrigin(kStateHover, {26, 22}).x, 26);
  EXPECT_EQ(StripStateOrigin(kStatePressed, {26, 22}).x, 52);
  EXPECT_EQ(StripStateOrigin(kStateDisabled, {26, 22}).x, 78);
  EXPECT_EQ(StripStateOrigin(kStateDisabled, {26, 22}).y, 0);
}

}  // namespace
