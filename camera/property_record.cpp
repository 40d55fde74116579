#include "camera/property_record.h"

#include <cstring>
#include <iterator>

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

namespace {

using IntField = std::int32_t PropertyRecord::*;
using DoubleField = double PropertyRecord::*;

constexpr IntField kFlags[] = {&PropertyRecord::autoExposure, &PropertyRecord::autoGain, &PropertyRecord::mono,
                               &PropertyRecord::flipVertical, &PropertyRecord::flipHorizontal};

struct IntSetting {
  IntField field;
  ValueRange<std::int32_t> range;
};
constexpr IntSetting kIntSettings[] = {
    {&PropertyRecord::resolutionIndex, {0, kResolutionCount - 1}},
    {&PropertyRecord::exposureLowerLimit, kExposureLimitRange},
    {&PropertyRecord::exposureUpperLimit, kExposureLimitRange},
    {&PropertyRecord::exposureTime, kExposureTimeRange},
};

struct DoubleSetting {
  DoubleField field;
  ValueRange<double> range;
  double smallestAboveZero = 0.0;  // a value between 0 and this is out of range
  bool Holds(double value) const { return range.Holds(value) && !(value > 0.0 && value < smallestAboveZero); }
};
constexpr DoubleSetting kDoubleSettings[] = {
    {&PropertyRecord::gainLowerLimit, kGainRange},
    {&PropertyRecord::gainUpperLimit, kGainRange},
    {&PropertyRecord::gain, kGainRange},
    {&PropertyRecord::totalGain, kTotalGainRange, kWhiteBalanceStep},
    {&PropertyRecord::redGain, kColourGainRange, kWhiteBalanceStep},
    {&PropertyRecord::greenGain, kColourGainRange, kWhiteBalanceStep},
    {&PropertyRecord::blueGain, kColourGainRange, kWhiteBalanceStep},
    {&PropertyRecord::gainOffset, kGainOffsetRange},
};

// Where each field ends, in layout order: a stored value holds a field whole when it reaches
// the field's end.
constexpr std::size_t kFieldEnds[] = {4,  8,  12, 16, 20,  24,  28,  32,  36,  40,  48,  56, 64,
                                      72, 80, 88, 96, 100, 104, 108, 112, 120, 124, 128, 136};
static_assert(kFieldEnds[std::size(kFieldEnds) - 1] == sizeof(PropertyRecord));

template <typename Field>
void DefaultBothWhenCrossed(PropertyRecord& r, const PropertyRecord& defaults, Field lower, Field upper) {
  if (r.*lower > r.*upper) {
    r.*lower = defaults.*lower;
    r.*upper = defaults.*upper;
  }
}

}  // namespace

PropertyRecord Normalised(const PropertyRecord& record) noexcept {
  PropertyRecord r = record;
  PropertyRecord defaults = record;
  SetDefaults(defaults);
  for (const IntField flag : kFlags) r.*flag = r.*flag != 0 ? 1 : 0;
  for (const IntSetting& s : kIntSettings) {
    if (!s.range.Holds(r.*s.field)) r.*s.field = defaults.*s.field;
  }
  for (const DoubleSetting& s : kDoubleSettings) {
    if (!s.Holds(r.*s.field)) r.*s.field = defaults.*s.field;
  }
  DefaultBothWhenCrossed(r, defaults, &PropertyRecord::exposureLowerLimit, &PropertyRecord::exposureUpperLimit);
  DefaultBothWhenCrossed(r, defaults, &PropertyRecord::gainLowerLimit, &PropertyRecord::gainUpperLimit);
  return r;
}

PropertyRecord RecordFromStoredBytes(std::span<const std::uint8_t> bytes, std::int32_t version) noexcept {
  PropertyRecord r{};
  r.version = version;
  SetDefaults(r);
  std::size_t whole = 0;
  for (const std::size_t end : kFieldEnds) {
    if (end <= bytes.size()) whole = end;
  }
  if (whole > 0) std::memcpy(&r, bytes.data(), whole);
  return Normalised(r);
}
