// Timed series: file names that never overwrite, the ticks a slow format skips, the texts.
#include "panel/capture_series.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "panel/snapshot_texts.h"

namespace {

TEST(SeriesNames, HaveAtLeastFourDigitsAndJoinTheFolder) {
  EXPECT_EQ(SeriesFileName(L"shot", 1, L"png"), L"shot_0001.png");
  EXPECT_EQ(SeriesFileName(L"shot", 12345, L"png"), L"shot_12345.png");
  EXPECT_EQ(SeriesFilePath({L"C:\\pics", L"a", L"gif"}, 7), L"C:\\pics\\a_0007.gif");
  EXPECT_EQ(SeriesFilePath({L"C:\\", L"a", L"gif"}, 7), L"C:\\a_0007.gif");
}

TEST(SeriesNames, ContinueAfterTheHighestNumberOfAnyFormat) {
  EXPECT_EQ(NextSeriesNumber({}, L"shot"), 1);
  EXPECT_EQ(NextSeriesNumber({L"shot_0002.png", L"SHOT_0010.gif", L"shot_0003.bmp"}, L"shot"), 11);
  // Other prefixes, names without a number or with other text after it count for nothing.
  EXPECT_EQ(
      NextSeriesNumber({L"shots_0050.png", L"shot_.png", L"shot_12a.png", L"shot_0004", L"xshot_0090.png"}, L"shot"),
      1);
  // Too many digits to be one of ours.
  EXPECT_EQ(NextSeriesNumber({L"shot_12345678901.png"}, L"shot"), 1);
}

TEST(SeriesNames, AreReadFromTheFolder) {
  const auto folder = std::filesystem::temp_directory_path() / "q7-series-names";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder / "shot_0100.png");  // a folder, not a file
  std::ofstream(folder / "shot_0007.png") << "x";
  EXPECT_EQ(NextSeriesNumber(FileNamesIn(folder.wstring()), L"shot"), 8);
  std::filesystem::remove_all(folder);
  EXPECT_TRUE(FileNamesIn(folder.wstring()).empty());
}

TEST(SeriesTicks, AreServedOnTimeWhileTheWorkerKeepsUp) {
  const SeriesTick early = ChooseSeriesTick(3, 2900, 1000);
  EXPECT_FALSE(early.takeNow);
  EXPECT_EQ(early.tick, 3);
  EXPECT_EQ(early.skipped, 0);
  const SeriesTick due = ChooseSeriesTick(3, 3000, 1000);
  EXPECT_TRUE(due.takeNow);
  EXPECT_EQ(due.skipped, 0);
  // Up to half an interval late is still this tick's picture.
  EXPECT_TRUE(ChooseSeriesTick(3, 3500, 1000).takeNow);
}

TEST(SeriesTicks, ThatPassedWhileWritingAreSkippedNotQueued) {
  // Next was tick 1 at 500 ms; the picture of tick 0 took until 1300 ms: ticks 1 and 2 are
  // gone, tick 3 (1500 ms) is the next.
  const SeriesTick late = ChooseSeriesTick(1, 1300, 500);
  EXPECT_FALSE(late.takeNow);
  EXPECT_EQ(late.tick, 3);
  EXPECT_EQ(late.skipped, 2);
  // Within half an interval of tick 2: that one is taken now, tick 1 skipped.
  const SeriesTick close = ChooseSeriesTick(1, 1100, 500);
  EXPECT_TRUE(close.takeNow);
  EXPECT_EQ(close.tick, 2);
  EXPECT_EQ(close.skipped, 1);
}

TEST(SnapshotTexts, AreTheStatusLinesTheUserSees) {
  EXPECT_EQ(SavingSnapshotText(40, 0, 0), L"Saving snapshot\u2026 40 %");
  EXPECT_EQ(SavingSnapshotText(std::nullopt, 1, 2), L"Saving snapshot\u2026 / (+2 waiting)");
  EXPECT_NE(SavingSnapshotText(std::nullopt, 1, 0), SavingSnapshotText(std::nullopt, 2, 0)) << "the bar must turn";
  EXPECT_EQ(SeriesText(12, 100, 0), L"Series 12 / 100");
  EXPECT_EQ(SeriesText(12, 0, 3), L"Series 12, 3 skipped");
  EXPECT_EQ(SeriesEndText(SeriesEnd::Completed, 100, 3), L"Series done: 100 saved, 3 skipped");
  EXPECT_EQ(SeriesEndText(SeriesEnd::Failed, 4, 0), L"Series failed: 4 saved");
}

}  // namespace
