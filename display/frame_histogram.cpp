#include "display/frame_histogram.h"

#include <algorithm>
#include <cstddef>

namespace display {
namespace {

// One set of bins. Two sets take alternate pixels: on flat areas neighbours fall into the
// same bin, and a single set would make each count wait for the previous one.
struct BinSet {
  FrameHistogram::Bins blue{}, green{}, red{}, luminance{};

  // Counts the pixel at `p`, and in `low` and `high` whether a channel is at 0 or at 255.
  void Count(const std::uint8_t* p, std::uint32_t& low, std::uint32_t& high) {
    const int b = p[0], g = p[1], r = p[2];
    ++blue[b];
    ++green[g];
    ++red[r];
    ++luminance[Luminance(r, g, b)];
    low += std::min({b, g, r}) == 0;
    high += std::max({b, g, r}) == 255;
  }
};

void AddBins(FrameHistogram::Bins& to, const FrameHistogram::Bins& a, const FrameHistogram::Bins& b) {
  for (std::size_t i = 0; i < to.size(); ++i) to[i] = a[i] + b[i];
}

}  // namespace

FrameHistogram ComputeHistogram(const BgrPicture& picture, int step) {
  FrameHistogram h;
  if (picture.Empty()) return h;
  step = std::max(step, 1);
  const std::size_t pitch = 3 * static_cast<std::size_t>(step);

  BinSet sets[2];
  for (int band = 0; band * step < picture.height; ++band) {
    const GridRow row = SampleGridRow(band, step);
    if (row.y >= picture.height || row.firstColumn >= picture.width) continue;
    const int n = (picture.width - 1 - row.firstColumn) / step + 1;  // pixels counted in this row
    const std::uint8_t* p = picture.Row(row.y) + 3 * static_cast<std::size_t>(row.firstColumn);
    // Counted in locals: kept in memory beside the bins they would make another chain.
    std::uint32_t low = 0, high = 0;
    int i = 0;
    for (; i + 1 < n; i += 2, p += 2 * pitch) {
      sets[0].Count(p, low, high);
      sets[1].Count(p + pitch, low, high);
    }
    if (i < n) sets[0].Count(p, low, high);
    h.samples += static_cast<std::uint32_t>(n);
    h.clippedLow += low;
    h.clippedHigh += high;
  }
  AddBins(h.blue, sets[0].blue, sets[1].blue);
  AddBins(h.green, sets[0].green, sets[1].green);
  AddBins(h.red, sets[0].red, sets[1].red);
  AddBins(h.luminance, sets[0].luminance, sets[1].luminance);
  return h;
}

}  // namespace display
