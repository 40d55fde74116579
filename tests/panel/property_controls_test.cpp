#include "panel/property_controls.h"

#include <gtest/gtest.h>

#include <set>

#include "resources/resource_ids.h"

namespace {

PropertyRecord Defaults() {
  PropertyRecord r{};
  SetDefaults(r);
  return r;
}

TEST(PropertyResolutionRadios, FollowTheResolutionTableNotTheIdOrder) {
  EXPECT_EQ(ResolutionIndexOfRadio(IDC_RES_2592x1944), 0);
  EXPECT_EQ(ResolutionIndexOfRadio(IDC_RES_1920x1080), 3);  // id 1028
  EXPECT_EQ(ResolutionIndexOfRadio(IDC_RES_1600x1200), 4);  // id 1023
  EXPECT_EQ(ResolutionIndexOfRadio(IDC_RES_1408x1048), 5);  // id 1029
  EXPECT_EQ(ResolutionIndexOfRadio(IDC_RES_640x480), 9);
  EXPECT_EQ(ResolutionIndexOfRadio(IDC_AUTO_EXPOSURE), -1);
  EXPECT_EQ(kResolutions[ResolutionIndexOfRadio(IDC_RES_1280x960)].height, 960);
}

// A value set from a slider position must map back to that position, or the slider jumps
// by one each time the dialog shows the record again.
TEST(PropertySliderMapping, EveryPositionSurvivesTheTripThroughTheRecord) {
  for (const SliderControl& slider : PropertySliders()) {
    for (int position = slider.minPosition; position <= slider.maxPosition; ++position) {
      PropertyRecord r = Defaults();
      SetFromSliderPosition(r, slider.sliderId, position);
      ASSERT_EQ(SliderPositionOf(r, slider.sliderId), position) << "slider " << slider.sliderId;
    }
  }
}

TEST(PropertySliderMapping, PositionsDriveTheirOwnField) {
  PropertyRecord r = Defaults();
  SetFromSliderPosition(r, IDC_EXPOSURE_SLIDER, 400000);
  SetFromSliderPosition(r, IDC_GAIN_SLIDER, 12345);
  SetFromSliderPosition(r, IDC_TOTAL_GAIN_SLIDER, 2500);
  SetFromSliderPosition(r, IDC_BLUE_GAIN_SLIDER, 750);
  SetFromSliderPosition(r, IDC_GAIN_OFFSET_SLIDER, 8766);
  EXPECT_EQ(r.exposureTime, 400000);
  EXPECT_DOUBLE_EQ(r.gain, 12.345);
  EXPECT_DOUBLE_EQ(r.totalGain, 2.5);
  EXPECT_DOUBLE_EQ(r.blueGain, 0.75);
  EXPECT_DOUBLE_EQ(r.gainOffset, -12.34);
  EXPECT_DOUBLE_EQ(r.redGain, 1.0);
  EXPECT_DOUBLE_EQ(r.greenGain, 1.0);
}

TEST(PropertySliderText, EachEditHasItsFormat) {
  PropertyRecord r = Defaults();
  r.exposureTime = 30000;
  r.gain = 5.5;
  r.totalGain = 1.25;
  r.redGain = 0.8;
  r.gainOffset = -12.34;
  EXPECT_EQ(SliderValueText(r, IDC_EXPOSURE_SLIDER), L"30000");
  EXPECT_EQ(SliderValueText(r, IDC_GAIN_SLIDER), L"5500");  // thousandths of a dB
  EXPECT_EQ(SliderValueText(r, IDC_TOTAL_GAIN_SLIDER), L"1.250");
  EXPECT_EQ(SliderValueText(r, IDC_RED_GAIN_SLIDER), L"0.800");
  EXPECT_EQ(SliderValueText(r, IDC_GREEN_GAIN_SLIDER), L"1.000");
  EXPECT_EQ(SliderValueText(r, IDC_GAIN_OFFSET_SLIDER), L"-12.34");
  r.gainOffset = 0.0;
  EXPECT_EQ(SliderValueText(r, IDC_GAIN_OFFSET_SLIDER), L"0.00");
  EXPECT_EQ(SliderPositionOf(r, IDC_GAIN_OFFSET_SLIDER), 10000);
}

TEST(PropertyLimitChecks, ExposureMinimumUnderTheUpDownRangeIsRejected) {
  PropertyRecord r = Defaults();  // lower limit 10, below the range
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 999), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 10), LimitCheck::Unchanged);
  EXPECT_EQ(r.exposureLowerLimit, 10);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 1000), LimitCheck::Accepted);
  EXPECT_EQ(r.exposureLowerLimit, 1000);
}

TEST(PropertyLimitChecks, ExposureLimitsStayOnTheirSideOfEachOther) {
  PropertyRecord r = Defaults();
  r.exposureLowerLimit = 2000;
  r.exposureUpperLimit = 3000;
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 3001), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, 1999), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, 500001), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 3000), LimitCheck::Accepted);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, 500000), LimitCheck::Accepted);
  EXPECT_EQ(r.exposureLowerLimit, 3000);
  EXPECT_EQ(r.exposureUpperLimit, 500000);
}

TEST(PropertyLimitChecks, GainLimitsAreKeptInWholeDecibels) {
  PropertyRecord r = Defaults();  // 0 to 32 dB
  EXPECT_EQ(CheckLimit(r, IDC_GAIN_MIN, 1500), LimitCheck::Accepted);
  EXPECT_DOUBLE_EQ(r.gainLowerLimit, 1.0);
  EXPECT_EQ(LimitValueOf(r, IDC_GAIN_MIN), 1000);
  EXPECT_EQ(CheckLimit(r, IDC_GAIN_MAX, 20999), LimitCheck::Accepted);
  EXPECT_DOUBLE_EQ(r.gainUpperLimit, 20.0);
  EXPECT_EQ(CheckLimit(r, IDC_GAIN_MIN, 20001), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_GAIN_MAX, 999), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_GAIN_MIN, -1), LimitCheck::Rejected);
  // The camera stops at 32 dB, and so does the up-down.
  EXPECT_EQ(CheckLimit(r, IDC_GAIN_MAX, 32001), LimitCheck::Rejected);
  EXPECT_DOUBLE_EQ(r.gainLowerLimit, 1.0);
  EXPECT_DOUBLE_EQ(r.gainUpperLimit, 20.0);
}

TEST(PropertyLimitChecks, EditTextReadsAsADecimalNumberAsFarAsItGoes) {
  EXPECT_EQ(ParseEditNumber(L"1500"), 1500);
  EXPECT_EQ(ParseEditNumber(L"  42abc"), 42);
  EXPECT_EQ(ParseEditNumber(L"-7"), -7);
  EXPECT_EQ(ParseEditNumber(L"abc"), 0);
  EXPECT_EQ(ParseEditNumber(L""), 0);
  EXPECT_EQ(ParseEditNumber(L"1,000"), 1);
  EXPECT_GT(ParseEditNumber(L"99999999999999999999999"), 500000);
  PropertyRecord r = Defaults();
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, ParseEditNumber(L"99999999999999999999999")), LimitCheck::Rejected);
}

TEST(PropertyEnabling, AutoFlagsSwapLimitsAndValueControls) {
  PropertyRecord r = Defaults();
  r.autoExposure = 1;
  r.autoGain = 0;
  std::set<int> enabled;
  for (int id : AutoDependentControls()) {
    if (IsControlEnabled(r, id)) enabled.insert(id);
  }
  const std::set<int> expected = {IDC_EXPOSURE_MIN, IDC_EXPOSURE_MIN_SPIN, IDC_EXPOSURE_MAX, IDC_EXPOSURE_MAX_SPIN,
                                  IDC_GAIN_SLIDER, IDC_GAIN_VALUE};
  EXPECT_EQ(enabled, expected);
  r.autoExposure = 0;
  r.autoGain = 1;
  EXPECT_TRUE(IsControlEnabled(r, IDC_EXPOSURE_SLIDER));
  EXPECT_FALSE(IsControlEnabled(r, IDC_EXPOSURE_MAX_SPIN));
  EXPECT_TRUE(IsControlEnabled(r, IDC_GAIN_MAX));
  EXPECT_FALSE(IsControlEnabled(r, IDC_GAIN_VALUE));
  EXPECT_TRUE(IsControlEnabled(r, IDC_RED_GAIN_SLIDER));
}

}  // namespace
