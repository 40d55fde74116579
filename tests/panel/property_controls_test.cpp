#include "panel/property_controls.h"

#include <gtest/gtest.h>

#include <cstring>

#include "resources/resource_ids.h"

namespace {

PropertyRecord Defaults() {
  PropertyRecord r{};
  SetDefaults(r);
  return r;
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

// The sliders reach exactly the values a stored record keeps when it is read back: the
// dialog can neither set a value that reading would replace nor miss one reading keeps.
TEST(PropertySliderMapping, SlidersSpanExactlyTheRangesAStoredRecordKeeps) {
  const auto keptOnReading = [](int sliderId, int position) {
    PropertyRecord r = Defaults();
    SetFromSliderPosition(r, sliderId, position);
    const PropertyRecord read = Normalised(r);
    return std::memcmp(&read, &r, sizeof r) == 0;
  };
  for (const SliderControl& slider : PropertySliders()) {
    EXPECT_TRUE(keptOnReading(slider.sliderId, slider.minPosition)) << slider.sliderId;
    EXPECT_TRUE(keptOnReading(slider.sliderId, slider.maxPosition)) << slider.sliderId;
    EXPECT_FALSE(keptOnReading(slider.sliderId, slider.minPosition - 1)) << slider.sliderId;
    EXPECT_FALSE(keptOnReading(slider.sliderId, slider.maxPosition + 1)) << slider.sliderId;
  }
  EXPECT_EQ(FindSlider(IDC_GAIN_OFFSET_SLIDER)->maxPosition, 20000);
  EXPECT_EQ(FindSlider(IDC_TOTAL_GAIN_SLIDER)->maxPosition, 4000);
}

TEST(PropertyLimitChecks, ExposureLimitsStayInTheUpDownRangeAndInOrder) {
  PropertyRecord r = Defaults();  // 10 to 500000: the lower limit lies below the range
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 10), LimitCheck::Unchanged);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 999), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, 500001), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, 3000), LimitCheck::Accepted);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 3001), LimitCheck::Rejected);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MIN, 3000), LimitCheck::Accepted);
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, 2999), LimitCheck::Rejected);
  EXPECT_EQ(r.exposureLowerLimit, 3000);
  EXPECT_EQ(r.exposureUpperLimit, 3000);
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
  // A lower limit of 2.5 dB (a settings file may hold one): 2.9 would be kept as 2.
  r.gainLowerLimit = 2.5;
  EXPECT_EQ(CheckLimit(r, IDC_GAIN_MAX, 2900), LimitCheck::Rejected);
  EXPECT_DOUBLE_EQ(r.gainUpperLimit, 20.0);
}

TEST(PropertyLimitChecks, EditTextReadsAsADecimalNumberAsFarAsItGoes) {
  EXPECT_EQ(ParseEditNumber(L"  42abc"), 42);
  EXPECT_EQ(ParseEditNumber(L"-7"), -7);
  EXPECT_EQ(ParseEditNumber(L"abc"), 0);
  EXPECT_EQ(ParseEditNumber(L"1,000"), 1);
  PropertyRecord r = Defaults();  // a number too long for any integer stays too big
  EXPECT_EQ(CheckLimit(r, IDC_EXPOSURE_MAX, ParseEditNumber(L"99999999999999999999999")), LimitCheck::Rejected);
}

}  // namespace
