#pragma once
// The values each setting of a PropertyRecord may hold: what the camera accepts, as far as
// the property dialog can show it. Whatever takes a record from outside (a settings file, a
// stored record) checks against these, and the dialog's slider ranges are made from them.
#include "camera/property_record.h"

struct SettingRange {
  double min;
  double max;
  // False for a NaN.
  constexpr bool Contains(double value) const noexcept { return value >= min && value <= max; }
};

inline constexpr SettingRange kSwitchRange{0, 1};  // auto exposure, auto gain, mono, flips
inline constexpr SettingRange kResolutionIndexRange{0, kResolutionCount - 1};
inline constexpr SettingRange kExposureRangeUs{10, 500000};  // both limits and the time
inline constexpr SettingRange kGainRangeDb{0, 32};           // both limits and the gain
inline constexpr SettingRange kTotalGainRange{0, 4};
inline constexpr SettingRange kColourGainRange{0, 10};  // red, green, blue
inline constexpr SettingRange kGainOffsetRangePercent{-100, 100};
