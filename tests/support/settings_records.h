#pragma once
// Settings records the camera and property dialog tests share.
#include <cstring>

#include "camera/property_record.h"

namespace testing_support {

inline PropertyRecord DefaultRecord() {
  PropertyRecord r{};
  SetDefaults(r);
  return r;
}

// In range, and far from the defaults in every setting.
inline PropertyRecord UnusualRecord() {
  PropertyRecord r = DefaultRecord();
  r.version = 1;
  r.resolutionIndex = 3;  // 1920 x 1080
  r.autoExposure = 1;
  r.exposureLowerLimit = 2000;
  r.exposureUpperLimit = 300000;
  r.exposureTime = 30000;
  r.autoGain = 0;
  r.gainLowerLimit = 2.0;
  r.gainUpperLimit = 20.0;
  r.gain = 5.5;
  r.totalGain = 1.5;
  r.redGain = 1.25;
  r.greenGain = 0.75;
  r.blueGain = 2.0;
  r.mono = 1;
  r.flipVertical = 0;
  r.flipHorizontal = 1;
  r.gainOffset = -12.34;
  return r;
}

// Byte for byte, reserved fields included.
inline bool SameRecord(const PropertyRecord& a, const PropertyRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace testing_support
