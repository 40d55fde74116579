// Calibrations as values: their text form, the dialog's edits and the pixel size a measured
// line gives.
#include "state/calibration.h"

#include <gtest/gtest.h>

namespace {

CalibrationSet ThreeObjectives() {
  CalibrationSet set;
  set.items = {{L"4x", 0.55}, {L"10x", 0.22}, {L"40x", 0.055}};
  set.inUse = L"10x";
  return set;
}

TEST(PixelSizeFromLine, DividesTheTypedLengthByTheLinesPixels) {
  EXPECT_DOUBLE_EQ(*PixelSizeFromLine(1000, 250, LengthUnit::Micrometre), 0.25);
  EXPECT_DOUBLE_EQ(*PixelSizeFromLine(1021, 2.5525, LengthUnit::Millimetre), 2.5);
  EXPECT_FALSE(PixelSizeFromLine(0, 1, LengthUnit::Micrometre));
  EXPECT_FALSE(PixelSizeFromLine(100, -1, LengthUnit::Micrometre));
  EXPECT_FALSE(PixelSizeFromLine(100, 1e9, LengthUnit::Millimetre));  // a metre per pixel is no microscope
}

TEST(PixelSizeFromLine, TypedNumbersMayHaveADecimalCommaAndBlanks) {
  EXPECT_EQ(ParseTypedNumber(L" 2,5 "), 2.5);
  EXPECT_EQ(ParseTypedNumber(L"0.25"), 0.25);
  EXPECT_FALSE(ParseTypedNumber(L"2.5 mm"));
  EXPECT_FALSE(ParseTypedNumber(L""));
  EXPECT_FALSE(ParseTypedNumber(L"inf"));
}

TEST(CalibrationText, ReadsBackWhatItWrites) {
  const Calibration c{L"Plan 10x, oil", 0.1 + 0.2};
  const ParsedCalibration back = ParseCalibration(FormatCalibration(c));
  ASSERT_TRUE(back.calibration) << back.problem;
  EXPECT_EQ(*back.calibration, c);  // the name's own comma stays; the last one separates
  EXPECT_EQ(FormatCalibration({L"4x", 0.55}), L"4x, 0.55");
}

TEST(CalibrationText, RefusesWhatIsNotANameAndAPixelSize) {
  for (const wchar_t* bad : {L"10x", L", 0.5", L"10x, abc", L"10x, 0", L"10x, 5000", L"10x, 0.5 um"})
    EXPECT_FALSE(ParseCalibration(bad).calibration) << bad;
  EXPECT_NE(ParseCalibration(L"10x, abc").problem.find(L"\"abc\""), std::wstring::npos);
}

TEST(CalibrationList, KeepsTheGoodLinesAndNamesTheBadOnes) {
  const ParsedCalibrationList list = ParseCalibrationList(L"4x, 0.55\n\n10x, zero\n4X, 0.6\r\n40x, 0.055\n");
  ASSERT_EQ(list.items.size(), 2u);
  EXPECT_EQ(list.items[1].name, L"40x");
  ASSERT_EQ(list.problems.size(), 2u);
  EXPECT_EQ(list.problems[0].rfind(L"line 3: ", 0), 0u);
  EXPECT_EQ(list.problems[1].rfind(L"line 4: ", 0), 0u);  // names differ in more than case
  EXPECT_EQ(ParseCalibrationList(FormatCalibrationList(ThreeObjectives())).items, ThreeObjectives().items);
}

TEST(CalibrationEdits, AddRenameSetAndDeleteKeepTheOneInUseRight) {
  CalibrationSet set = ThreeObjectives();
  EXPECT_TRUE(AddCalibration(set, L"10X", 0.2));  // taken, whatever the case
  EXPECT_TRUE(AddCalibration(set, L"20x", 0));
  EXPECT_TRUE(AddCalibration(set, L"", 0.1));
  EXPECT_FALSE(AddCalibration(set, L"20x", 0.11));
  EXPECT_EQ(set.items.size(), 4u);

  EXPECT_FALSE(RenameCalibration(set, 1, L"10x Plan"));
  ASSERT_NE(set.InUse(), nullptr);
  EXPECT_EQ(set.InUse()->name, L"10x Plan");
  EXPECT_TRUE(RenameCalibration(set, 0, L"40x"));
  EXPECT_FALSE(RenameCalibration(set, 0, L"4x"));  // its own name again

  EXPECT_TRUE(SetPixelSize(set, 2, -1));
  EXPECT_FALSE(SetPixelSize(set, 2, 0.05));
  EXPECT_EQ(set.items[2].micronsPerPixel, 0.05);

  DeleteCalibration(set, 1);
  EXPECT_EQ(set.InUse(), nullptr);
  EXPECT_EQ(set.items.size(), 3u);
}

TEST(CalibrationEdits, AMergeTakesTheIncomingSizesAndKeepsTheRest) {
  CalibrationSet incoming;
  incoming.items = {{L"10X", 0.21}, {L"100x", 0.022}};
  incoming.inUse = L"100x";
  const CalibrationSet merged = MergeCalibrations(ThreeObjectives(), incoming);
  ASSERT_EQ(merged.items.size(), 4u);
  EXPECT_EQ(merged.items[1], (Calibration{L"10x", 0.21}));
  EXPECT_EQ(merged.items[3].name, L"100x");
  EXPECT_EQ(merged.InUse()->name, L"100x");
  EXPECT_EQ(MergeCalibrations(ThreeObjectives(), CalibrationSet{}), ThreeObjectives());
}

}  // namespace
