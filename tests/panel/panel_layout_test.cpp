#include "panel/panel_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "display/zoom_steps.h"
#include "resources/resource_ids.h"

namespace {

TEST(PanelPlacementMath, SingleSmallMonitorCentresThePair) {
  const PanelPlacement p = PlacePanelAndVideo(1024, 1, 738, SIZE{274, 178}, 478);
  EXPECT_EQ(p.panel.x, 136);
  EXPECT_EQ(p.panel.y, 280);
  EXPECT_EQ(p.video.x, 410);
  EXPECT_EQ(p.video.y, 280);
}

TEST(PanelPlacementMath, TwoMonitorsCentreOnTheFirst) {
  const PanelPlacement p = PlacePanelAndVideo(3840, 2, 1040, SIZE{274, 178}, 478);
  EXPECT_EQ(p.panel.x, (1920 - 274 - 478) / 2);
  EXPECT_EQ(p.video.x, p.panel.x + 274);
  EXPECT_EQ(p.panel.y, (1040 - 178) / 2);
}

TEST(PanelZoomSteps, NineStepsDownFromOneHundredReachTen) {
  double scale = 100.0;
  for (int i = 0; i < 9; ++i) scale = display::StepDisplayScale(scale, -1);
  EXPECT_EQ(scale, 10.0);
  EXPECT_FALSE(display::CanZoomOut(scale));
  EXPECT_EQ(display::StepDisplayScale(scale, -1), 10.0);
}

TEST(PanelZoomSteps, TwentyStepsUpReachThreeHundredAndStop) {
  double scale = 100.0;
  for (int i = 0; i < 20; ++i) scale = display::StepDisplayScale(scale, +1);
  EXPECT_EQ(scale, 300.0);
  EXPECT_FALSE(display::CanZoomIn(scale));
  EXPECT_EQ(display::StepDisplayScale(scale, +1), 300.0);
  EXPECT_EQ(display::StepDisplayScale(300.0, -1), 290.0);
  EXPECT_TRUE(display::CanZoomIn(290.0));
}

TEST(PanelButtonTable, EveryButtonOnceWithItsStateSizedRect) {
  std::set<int> ids;
  for (const auto& b : PanelButtons()) {
    EXPECT_TRUE(ids.insert(b.controlId).second) << b.controlId;
    EXPECT_GT(b.rect.right - b.rect.left, 0);
  }
  EXPECT_EQ(ids.size(), 11u);
  EXPECT_EQ(PanelButtons()[0].controlId, IDC_EXIT);
  const RECT status = PanelStatusRect();
  EXPECT_EQ(status.left, 5);
  EXPECT_EQ(status.top, 159);
  EXPECT_EQ(status.right, 265);
  EXPECT_EQ(status.bottom, 173);
}

TEST(AboutBoxPlacement, OneMonitorCentresInTheLeftHalf) {
  const RECT box = PlaceAboutBox(RECT{0, 0, 500, 350}, 1920, 1080, 1);
  EXPECT_EQ(box.left, 230);
  EXPECT_EQ(box.top, 365);
  EXPECT_EQ(box.right, 730);
  EXPECT_EQ(box.bottom, 715);
}

TEST(AboutBoxPlacement, TwoMonitorsMoveToTheRightHalfOnlyWhenItHoldsMore) {
  // Created straddling the middle with more on the right.
  RECT box = PlaceAboutBox(RECT{1800, 0, 2300, 350}, 3840, 1080, 2);
  EXPECT_EQ(box.left, 710 + 1920);
  // A tie keeps the left half.
  box = PlaceAboutBox(RECT{1670, 0, 2170, 350}, 3840, 1080, 2);
  EXPECT_EQ(box.left, 710);
}

}  // namespace
