#pragma once
// What the checks of a dark frame and a flat field look at, and how even a picture is: plain
// measures of a BGR24 picture.
#include <cstddef>
#include <cstdint>

namespace q7::imaging {

inline constexpr int kEvennessBlock = 64;

struct PictureMeasures {
  double mean = 0;          // of every value, in grey levels
  double clippedShare = 0;  // the share of pixels with a channel at 255
  double brightShare = 0;   // the share of values above 128
  // The standard deviation of the means of 64 x 64 blocks over the picture's mean: 0 for an
  // even picture. The blocks are centred, whole blocks only.
  double unevenness = 0;
  int highest = 0;  // the highest value
};

PictureMeasures MeasurePicture(const std::uint8_t* pixels, int width, int height, std::size_t stride);

}  // namespace q7::imaging
