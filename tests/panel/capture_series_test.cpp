// Timed series: file names that never overwrite, the ticks a slow format skips.
#include "panel/capture_series.h"

#include <gtest/gtest.h>

namespace {

TEST(SeriesNames, ContinueAfterTheHighestNumberOfAnyFormat) {
  EXPECT_EQ(SeriesFilePath({L"C:\\pics", L"a", L"gif"}, 7), L"C:\\pics\\a_0007.gif");
  EXPECT_EQ(SeriesFileName(L"shot", 12345, L"png"), L"shot_12345.png");
  EXPECT_EQ(NextSeriesNumber({L"shot_0002.png", L"SHOT_0010.gif", L"shot_0003.bmp"}, L"shot"), 11);
  // Other prefixes, no number, other text after it, too many digits: none of ours.
  EXPECT_EQ(NextSeriesNumber({L"shots_0050.png", L"shot_.png", L"shot_12a.png", L"shot_0004", L"shot_12345678901.png"},
                             L"shot"),
            1);
}

TEST(SeriesTicks, AreTakenWithinHalfAnIntervalOrSkippedNotQueued) {
  EXPECT_FALSE(ChooseSeriesTick(3, 2900, 1000).takeNow);
  EXPECT_TRUE(ChooseSeriesTick(3, 3500, 1000).takeNow);
  // Next was tick 1 at 500 ms; the last picture took until 1300 ms: ticks 1 and 2 are gone,
  // tick 3 at 1500 ms is next. At 1100 ms tick 2 would still have been taken.
  const SeriesTick skipping = ChooseSeriesTick(1, 1300, 500);
  EXPECT_FALSE(skipping.takeNow);
  EXPECT_EQ(skipping.tick, 3);
  EXPECT_EQ(skipping.skipped, 2);
  const SeriesTick close = ChooseSeriesTick(1, 1100, 500);
  EXPECT_TRUE(close.takeNow);
  EXPECT_EQ(close.tick, 2);
  EXPECT_EQ(close.skipped, 1);
}

}  // namespace
