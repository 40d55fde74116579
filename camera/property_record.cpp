#include "camera/property_record.h"

void SetDefaults(PropertyRecord& r) noexcept {
  r.resolutionIndex = 0;
  r.autoExposure = 0;
  r.exposureLowerLimit = 10;
  r.exposureUpperLimit = 500000;
  r.exposureTime = 20000;
  r.autoGain = 0;
  r.gainLowerLimit = 0.0;
  r.gainUpperLimit = 32.0;
  r.gain = 0.0;
  r.totalGain = 1.0;
  r.redGain = 1.0;
  r.greenGain = 1.0;
  r.blueGain = 1.0;
  r.mono = 0;
  r.reserved100 = 0;
  r.flipVertical = 1;
  r.flipHorizontal = 1;
  r.gainOffset = 0.0;
  r.reserved120 = 100;
  r.reserved128 = 1.2;
}

int ResolutionIndexOf(int width, int height) noexcept {
  for (int i = 0; i < kResolutionCount; ++i) {
    if (kResolutions[i].width == width && kResolutions[i].height == height) return i;
  }
  return -1;
}
