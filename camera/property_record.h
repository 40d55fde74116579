#pragma once
// The camera settings record. Its 136 bytes are stored whole in the registry value
// "Property", so the layout is a file format: little-endian, doubles IEEE 754 binary64,
// every offset fixed (checked below).
#include <cstddef>
#include <cstdint>
#include <span>

struct PropertyRecord {
  std::uint32_t header;  // no setting; ignored when read
  std::uint32_t reserved4;
  std::int32_t version;             // mirrored in the registry value "Version"
  std::int32_t resolutionIndex;     // 0 to 9, see kResolutions
  std::int32_t autoExposure;        // 0 or 1
  std::int32_t exposureLowerLimit;  // microseconds
  std::int32_t exposureUpperLimit;  // microseconds
  std::int32_t exposureTime;        // microseconds
  std::int32_t autoGain;            // 0 or 1
  std::uint32_t reserved36;
  double gainLowerLimit;  // dB
  double gainUpperLimit;  // dB
  double gain;            // dB
  double totalGain;       // white balance factors
  double redGain;
  double greenGain;
  double blueGain;
  std::int32_t mono;  // 0 or 1
  std::int32_t reserved100;
  std::int32_t flipVertical;    // 0 or 1
  std::int32_t flipHorizontal;  // 0 or 1
  double gainOffset;            // percent
  std::int32_t reserved120;
  std::uint32_t reserved124;
  double reserved128;
};

static_assert(sizeof(PropertyRecord) == 136);
static_assert(offsetof(PropertyRecord, header) == 0);
static_assert(offsetof(PropertyRecord, reserved4) == 4);
static_assert(offsetof(PropertyRecord, version) == 8);
static_assert(offsetof(PropertyRecord, resolutionIndex) == 12);
static_assert(offsetof(PropertyRecord, autoExposure) == 16);
static_assert(offsetof(PropertyRecord, exposureLowerLimit) == 20);
static_assert(offsetof(PropertyRecord, exposureUpperLimit) == 24);
static_assert(offsetof(PropertyRecord, exposureTime) == 28);
static_assert(offsetof(PropertyRecord, autoGain) == 32);
static_assert(offsetof(PropertyRecord, reserved36) == 36);
static_assert(offsetof(PropertyRecord, gainLowerLimit) == 40);
static_assert(offsetof(PropertyRecord, gainUpperLimit) == 48);
static_assert(offsetof(PropertyRecord, gain) == 56);
static_assert(offsetof(PropertyRecord, totalGain) == 64);
static_assert(offsetof(PropertyRecord, redGain) == 72);
static_assert(offsetof(PropertyRecord, greenGain) == 80);
static_assert(offsetof(PropertyRecord, blueGain) == 88);
static_assert(offsetof(PropertyRecord, mono) == 96);
static_assert(offsetof(PropertyRecord, reserved100) == 100);
static_assert(offsetof(PropertyRecord, flipVertical) == 104);
static_assert(offsetof(PropertyRecord, flipHorizontal) == 108);
static_assert(offsetof(PropertyRecord, gainOffset) == 112);
static_assert(offsetof(PropertyRecord, reserved120) == 120);
static_assert(offsetof(PropertyRecord, reserved124) == 124);
static_assert(offsetof(PropertyRecord, reserved128) == 128);

// Writes every defaulted field; the header, bytes 4 to 7 and the version stay as they are.
void SetDefaults(PropertyRecord& record) noexcept;

// The values a setting may take: what the property dialog can set and the camera accepts.
template <typename T>
struct ValueRange {
  T min, max;
  // False for a double that is not a number.
  constexpr bool Holds(T value) const { return value >= min && value <= max; }
};
inline constexpr ValueRange<std::int32_t> kExposureTimeRange{1000, 500000};  // microseconds
// Either exposure limit; the default lower limit, 10, lies below what the dialog sets.
inline constexpr ValueRange<std::int32_t> kExposureLimitRange{10, 500000};
inline constexpr ValueRange<double> kGainRange{0.0, 32.0};  // the gain and its limits, dB
inline constexpr ValueRange<double> kTotalGainRange{0.0, 4.0};
inline constexpr ValueRange<double> kColourGainRange{0.0, 10.0};      // red, green, blue
inline constexpr ValueRange<double> kGainOffsetRange{-100.0, 100.0};  // percent
// The white-balance factors (total, red, green, blue) are set in steps of a thousandth: a
// factor above 0 but below one step is none the dialog sets, and darkens the picture to
// nothing, so it counts as out of range.
inline constexpr double kWhiteBalanceStep = 0.001;

// The record with every setting in its range, so the dialog, the camera and the stored
// record agree on it: a 0/1 field that is not 0 becomes 1; a number outside its range (or
// not a number, or a white-balance factor between 0 and kWhiteBalanceStep) takes its default,
// and so do both limits of a pair whose lower limit lies above its upper one. The header, the version and the reserved
// fields carry no setting and stay as they are.
PropertyRecord Normalised(const PropertyRecord& record) noexcept;

// The record a stored "Property" value gives, normalised: a field the bytes hold whole comes
// from them, every other field takes its default (the version `version`).
PropertyRecord RecordFromStoredBytes(std::span<const std::uint8_t> bytes, std::int32_t version) noexcept;

// The resolutions the camera offers, by resolution index. The area of interest is centred
// on the 2592 x 1944 sensor.
struct Resolution {
  int width;
  int height;
};
inline constexpr int kSensorWidth = 2592;
inline constexpr int kSensorHeight = 1944;
inline constexpr Resolution kResolutions[] = {{2592, 1944}, {2320, 1744}, {2048, 1536}, {1920, 1080}, {1600, 1200},
                                              {1408, 1048}, {1280, 1024}, {1280, 960},  {1024, 768},  {640, 480}};
inline constexpr int kResolutionCount = static_cast<int>(sizeof kResolutions / sizeof kResolutions[0]);

struct AreaOfInterest {
  int x, y, width, height;
};
// floor((sensor - size) / 2) on each axis.
constexpr AreaOfInterest CentredAoi(int width, int height) {
  return {(kSensorWidth - width) / 2, (kSensorHeight - height) / 2, width, height};
}
// The index of a width and height in kResolutions, or -1.
int ResolutionIndexOf(int width, int height) noexcept;
