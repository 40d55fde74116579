#include "imaging/picture_measures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace q7::imaging {

PictureMeasures MeasurePicture(const std::uint8_t* pixels, int width, int height, std::size_t stride) {
  PictureMeasures m;
  if (width <= 0 || height <= 0) return m;
  const int blocksX = width / kEvennessBlock, blocksY = height / kEvennessBlock;
  const int x0 = (width - blocksX * kEvennessBlock) / 2, y0 = (height - blocksY * kEvennessBlock) / 2;
  std::vector<std::uint64_t> blockSums(static_cast<std::size_t>(blocksX) * blocksY, 0);
  std::uint64_t sum = 0, clipped = 0, bright = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
    const int by = (y - y0) / kEvennessBlock;
    const bool inBlockRow = y >= y0 && by < blocksY;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = row + 3 * x;
      const unsigned value = p[0] + p[1] + p[2];
      sum += value;
      clipped += p[0] == 255 || p[1] == 255 || p[2] == 255;
      bright += (p[0] > 128) + (p[1] > 128) + (p[2] > 128);
      m.highest = std::max({m.highest, static_cast<int>(p[0]), static_cast<int>(p[1]), static_cast<int>(p[2])});
      const int bx = (x - x0) / kEvennessBlock;
      if (inBlockRow && x >= x0 && bx < blocksX) blockSums[static_cast<std::size_t>(by) * blocksX + bx] += value;
    }
  }
  const double pixelCount = static_cast<double>(width) * height;
  m.mean = sum / (3 * pixelCount);
  m.clippedShare = clipped / pixelCount;
  m.brightShare = bright / (3 * pixelCount);
  if (!blockSums.empty() && m.mean > 0) {
    const double perBlock = 3.0 * kEvennessBlock * kEvennessBlock;
    double blockMean = 0, squares = 0;
    for (const std::uint64_t s : blockSums) blockMean += s / perBlock;
    blockMean /= blockSums.size();
    for (const std::uint64_t s : blockSums) squares += (s / perBlock - blockMean) * (s / perBlock - blockMean);
    m.unevenness = std::sqrt(squares / blockSums.size()) / m.mean;
  }
  return m;
}

}  // namespace q7::imaging
