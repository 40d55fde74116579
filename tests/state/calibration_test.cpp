// Calibrations as values: the pixel size from a measured line, their text form, and the
// dialog's edits.
#include "state/calibration.h"

#include <gtest/gtest.h>

namespace {

CalibrationSet ThreeObjectives() { return {{{L"4x", 0.55}, {L"10x", 0.22}, {L"40x", 0.055}}, L"10x"}; }

TEST(PixelSizeFromLine, DividesTheTypedLengthByTheLinesPixels) {
  EXPECT_DOUBLE_EQ(*PixelSizeFromLine(1000, 250, LengthUnit::Micrometre), 0.25);
  EXPECT_DOUBLE_EQ(*PixelSizeFromLine(1021, 2.5525, LengthUnit::Millimetre), 2.5);
  EXPECT_FALSE(PixelSizeFromLine(0, 1, LengthUnit::Micrometre));
  EXPECT_FALSE(PixelSizeFromLine(100, 1e9, LengthUnit::Millimetre));  // a metre per pixel is no microscope
  EXPECT_EQ(ParseTypedNumber(L" 2,5 "), 2.5);
  EXPECT_FALSE(ParseTypedNumber(L"2.5 mm"));
}

TEST(CalibrationText, ReadsBackWhatItWritesAndNamesWhatIsWrong) {
  const Calibration c{L"Plan 10x, oil", 0.1 + 0.2};  // the last comma separates
  EXPECT_EQ(*ParseCalibration(FormatCalibration(c)).calibration, c);
  EXPECT_EQ(FormatCalibration({L"4x", 0.55}), L"4x, 0.55");
  for (const wchar_t* bad : {L"10x", L", 0.5", L"10x, 0", L"10x, 5000", L"10x, 0.5 um"})
    EXPECT_FALSE(ParseCalibration(bad).calibration) << bad;
  const ParsedCalibrationList list = ParseCalibrationList(L"4x, 0.55\n\n10x, zero\n4X, 0.6\r\n40x, 0.055\n");
  ASSERT_EQ(list.items.size(), 2u);
  ASSERT_EQ(list.problems.size(), 2u);
  EXPECT_EQ(list.problems[0], L"line 3: \"zero\" is not a number");
  EXPECT_EQ(list.problems[1], L"line 4: a second calibration called \"4X\"");
  EXPECT_EQ(ParseCalibrationList(FormatCalibrationList(ThreeObjectives())).items, ThreeObjectives().items);
}

TEST(CalibrationEdits, AddRenameSetDeleteAndMergeKeepTheOneInUseRight) {
  CalibrationSet set = ThreeObjectives();
  EXPECT_TRUE(AddCalibration(set, L"10X", 0.2));  // taken, whatever the case
  EXPECT_TRUE(AddCalibration(set, L"20x", 0));
  EXPECT_FALSE(AddCalibration(set, L"20x", 0.11));
  EXPECT_FALSE(RenameCalibration(set, 1, L"10x Plan"));
  EXPECT_EQ(set.InUse()->name, L"10x Plan");
  EXPECT_TRUE(RenameCalibration(set, 0, L"40x"));
  EXPECT_FALSE(SetPixelSize(set, 2, 0.05));
  DeleteCalibration(set, 1);
  EXPECT_EQ(set.InUse(), nullptr);
  EXPECT_EQ(set.items.size(), 3u);

  const CalibrationSet merged = MergeCalibrations(ThreeObjectives(), {{{L"10X", 0.21}, {L"100x", 0.022}}, L"100x"});
  EXPECT_EQ(merged.items, (std::vector<Calibration>{{L"4x", 0.55}, {L"10x", 0.21}, {L"40x", 0.055}, {L"100x", 0.022}}));
  EXPECT_EQ(merged.InUse()->name, L"100x");
}

}  // namespace
