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

TEST(SkinResizeZone, EdgesGrabFromFivePixelsInsideAndCornersWin) {
  const RECT client{0, 0, 200, 100};
  EXPECT_EQ(ResizeZoneAt(client, {5, 50}), kZoneLeft);
  EXPECT_EQ(ResizeZoneAt(client, {6, 50}), kZoneNone);
  EXPECT_EQ(ResizeZoneAt(client, {195, 50}), kZoneRight);
  EXPECT_EQ(ResizeZoneAt(client, {100, 94}), kZoneNone);
  EXPECT_EQ(ResizeZoneAt(client, {3, 4}), kZoneTopLeft);
  EXPECT_EQ(ResizeZoneCursor(kZoneTopLeft), IDC_SIZENWSE);
  EXPECT_EQ(ResizeZoneAt(client, {197, 0}), kZoneTopRight);
  EXPECT_EQ(ResizeZoneAt(client, {0, 96}), kZoneBottomLeft);
  EXPECT_EQ(ResizeZoneCursor(kZoneBottomLeft), IDC_SIZENESW);
}

// A 300 x 200 window at (100, 100) whose minimum is 120 x 90.
const RECT kWindow{100, 100, 400, 300};
const SIZE kMinimum{120, 90};

TEST(SkinResizeBand, OnlyTheZonesEdgesFollowThePointer) {
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneRight, {450, 10}, kWindow, kMinimum), (RECT{100, 100, 450, 300}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneTopLeft, {50, 60}, kWindow, kMinimum), (RECT{50, 60, 400, 300}));
  const RECT out = TrackResizeBand(kWindow, kZoneBottomLeft, {50, 350}, kWindow, kMinimum);
  EXPECT_EQ(TrackResizeBand(out, kZoneBottomLeft, {60, 340}, kWindow, kMinimum), (RECT{60, 100, 400, 340}));
}

TEST(SkinResizeBand, MovedEdgesStopAtExactlyTheMinimumSize) {
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneLeft, {390, 200}, kWindow, kMinimum), (RECT{280, 100, 400, 300}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneBottom, {200, 110}, kWindow, kMinimum), (RECT{100, 100, 400, 190}));
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneTop, {200, 1000}, kWindow, kMinimum).top, 210);
  EXPECT_EQ(TrackResizeBand(kWindow, kZoneRight, {-500, 200}, kWindow, kMinimum).right, 220);
}

TEST(SkinRegionRuns, KeyPixelsSplitARowAndAnAllKeyRowAddsNothing) {
  const COLORREF K = kSkinKeyColor, A = RGB(1, 2, 3), nearKey = RGB(205, 135, 136);
  const std::vector<COLORREF> row{K, K, A, nearKey, K, A, K, K, A, A, A};
  EXPECT_EQ(OpaqueRuns(row, K), (std::vector<PixelRun>{{2, 4}, {5, 6}, {8, 11}}));
  EXPECT_TRUE(OpaqueRuns(std::vector<COLORREF>(20, K), K).empty());
}

TEST(SkinBackgroundLayout, TenPixelTilesCoverTwentyFiveWithNineCopiesRowByRow) {
  const std::vector<POINT> at = TilePositions({25, 25}, {10, 10});
  ASSERT_EQ(at.size(), 9u);
  for (size_t i = 0; i < at.size(); ++i) {
    EXPECT_EQ(at[i].x, 10 * static_cast<int>(i % 3));
    EXPECT_EQ(at[i].y, 10 * static_cast<int>(i / 3));
  }
  EXPECT_TRUE(TilePositions({25, 25}, {0, 10}).empty()) << "an empty tile must not loop forever";
}

TEST(SkinBackgroundLayout, LargerPictureIsCentredWithNegativeOffsets) {
  const POINT at = CenterOffset({274, 178}, {500, 350});
  EXPECT_EQ(at.x, -113);
  EXPECT_EQ(at.y, -86);
}

TEST(SkinButtonState, DisabledBeatsPressedBeatsHover) {
  EXPECT_EQ(ChooseButtonState(false, false, false), kStateNormal);
  EXPECT_EQ(ChooseButtonState(false, false, true), kStateHover);
  EXPECT_EQ(ChooseButtonState(false, true, true), kStatePressed);
  EXPECT_EQ(ChooseButtonState(true, true, true), kStateDisabled);
  EXPECT_EQ(StripStateSize({45, 11}).cx, 11) << "the remainder of the width is dropped";
  EXPECT_EQ(StripStateOrigin(kStateDisabled, {26, 22}).x, 78);
}

}  // namespace
