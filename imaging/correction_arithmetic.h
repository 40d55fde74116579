#pragma once
// The arithmetic of the picture correction on plain rows of bytes (any interleaving: the
// planes below hold one value per byte of the picture), integer SSE2 with a scalar
// definition of each value beside it. Every result is clamped to 0..255, never wrapped.
//
// A value goes through up to three stages, in this order:
// 1. the running mean of the last frames,
// 2. less the dark frame (clamped at 0),
// 3. times the flat field's gain (1/4096 units, up to 16).
// Values are carried in 1/256 grey level, so no precision is lost between frames of the mean
// and a byte needs no shift to get there. Averaging before the dark frame is taken off keeps
// the noise around black from being clamped before it is averaged, which would lift black.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace q7::imaging {

inline constexpr int kValueShift = 8;  // values in 1/256 grey level
inline constexpr int kGainShift = 12;
inline constexpr std::uint16_t kGainOne = 1 << kGainShift;  // a gain of 1
inline constexpr std::uint16_t kGainMax = 0xFFFF;           // just under 16

// The dark frame and the flat field's gains of one picture, laid out as one stream: for every
// 16 values their 16 gains (two bytes each) when there is a flat field, then their 16 dark
// values when there is a dark frame. Read from one place per value, they cost half the time
// of two planes read side by side.
struct CorrectionPlanes {
  std::vector<std::uint8_t> blocks;
  bool hasDark = false;
  bool hasGain = false;
  std::size_t BlockBytes() const { return (hasGain ? 32 : 0) + (hasDark ? 16 : 0); }
  // Where value `index`'s gain (two bytes, little-endian) and dark value lie.
  std::size_t GainAt(std::size_t index) const { return index / 16 * BlockBytes() + 2 * (index % 16); }
  std::size_t DarkAt(std::size_t index) const { return index / 16 * BlockBytes() + (hasGain ? 32 : 0) + index % 16; }
};
// `dark` or `gains` may be null; `count` values.
CorrectionPlanes LayOutPlanes(const std::uint8_t* dark, const std::uint16_t* gains, std::size_t count);

// What a correction uses; null leaves that stage out.
struct Stages {
  std::uint16_t* mean = nullptr;  // the running mean in 1/256, one value per picture byte
  // The newest frame's weight in the running mean, in 1/65536 (at most 32768); 0 starts the
  // mean afresh from this frame.
  std::uint16_t meanWeight = 0;
  const CorrectionPlanes* planes = nullptr;
};

// Corrects `count` values in place; values[i] is value first + i of the mean and the planes.
void CorrectValues(std::uint8_t* values, std::size_t count, const Stages& stages, std::size_t first = 0);

// The definition of one value (and the vector loop's tail): `*mean` is updated when averaging.
inline std::uint8_t CorrectValue(std::uint8_t raw, std::uint16_t* mean, std::uint16_t meanWeight,
                                 const std::uint8_t* dark, const std::uint16_t* gain) {
  std::uint32_t y = static_cast<std::uint32_t>(raw) << kValueShift;
  if (mean) {
    // The old mean and the new value each weighed by a high product; their two truncations
    // lose one unit on average, which the 1 gives back. At most 65281: it fits.
    if (meanWeight != 0) {
      y = ((*mean * (65536u - meanWeight)) >> 16) + ((y * meanWeight) >> 16) + 1;
    }
    *mean = static_cast<std::uint16_t>(y);
  }
  if (dark) y = y > (std::uint32_t{*dark} << kValueShift) ? y - (std::uint32_t{*dark} << kValueShift) : 0;
  // Times the gain the value is in 1/16, then rounded to whole levels; without, rounded.
  const std::uint32_t v = gain ? (((y * *gain) >> 16) + 8) >> 4 : (y + 128) >> kValueShift;
  return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

// The weight of the newest frame when it is the `frame`-th (from 1) since the mean started,
// for a mean of `length` frames: the plain mean of the frames so far while they are few, then
// an exponential mean of weight 2 / (length + 1), whose noise is that of a plain mean of
// `length` frames. One accumulator holds it, however long the mean.
std::uint16_t MeanWeight(int frame, int length);

// sum[i] += values[i]: the frames of a dark frame or flat field being taken.
void AddToSum(const std::uint8_t* values, std::uint16_t* sum, std::size_t count);
// out[i] = sum[i] / frames, rounded.
void AverageOfSum(const std::uint16_t* sum, int frames, std::uint8_t* out, std::size_t count);

// The gains that make a flat field even: for each value, its channel's mean over the field
// divided by the value, both less the dark frame (null: none), in 1/4096 and clamped to
// kGainMax. `flatSum` holds the sum of `frames` frames of `pixels` pixels of 3 channels each
// (blue, green, red), so each channel keeps its own level: the white balance is left alone.
void ComputeFlatGains(const std::uint16_t* flatSum, int frames, const std::uint8_t* dark, std::size_t pixels,
                      std::uint16_t* gains);

// The camera's mirroring: it turns the picture within its area of the sensor, so a sensor
// pixel's dark offset and flat gain move with it.
struct Mirroring {
  bool horizontal = false;
  bool vertical = false;
  bool Any() const { return horizontal || vertical; }
  friend bool operator==(const Mirroring&, const Mirroring&) = default;
};
// Mirrors a picture of `width` x `height` pixels of 3 values each in place. Mirroring twice
// gives the picture back, so one call turns the sensor's orientation into `mirroring` and back.
void MirrorPicture(std::uint8_t* values, int width, int height, Mirroring mirroring);
void MirrorPicture(std::uint16_t* values, int width, int height, Mirroring mirroring);

}  // namespace q7::imaging
