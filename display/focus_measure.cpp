#include "display/focus_measure.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace display {
namespace {

int LumaAt(const std::uint8_t* p) { return Luminance(p[2], p[1], p[0]); }

}  // namespace

int FocusSampleStep(int areaWidth, int areaHeight) {
  const double pixels = static_cast<double>(std::max(areaWidth, 0)) * std::max(areaHeight, 0);
  return std::max(1, static_cast<int>(std::ceil(std::sqrt(pixels / kFocusSamples))));
}

double ComputeFocusMeasure(const BgrPicture& picture, const RECT& area, int step) {
  if (picture.Empty()) return 0.0;
  const int left = std::max<int>(area.left, 0), top = std::max<int>(area.top, 0);
  const int right = std::min<int>(area.right, picture.width), bottom = std::min<int>(area.bottom, picture.height);
  // Points need a right-hand and a lower neighbour inside the area.
  const int columns = right - left - 1, rows = bottom - top - 1;
  if (columns < 1 || rows < 1) return 0.0;

  if (step < 1) step = FocusSampleStep(right - left, bottom - top);
  const std::size_t pitch = 3 * static_cast<std::size_t>(step);
  std::uint64_t energy = 0, lumaSum = 0, points = 0;
  for (int band = 0; band * step < rows; ++band) {
    const GridRow row = SampleGridRow(band, step);
    if (row.y >= rows || row.firstColumn >= columns) continue;
    const int n = (columns - 1 - row.firstColumn) / step + 1;
    const std::uint8_t* p = picture.Row(top + row.y) + 3 * static_cast<std::size_t>(left + row.firstColumn);
    const std::uint8_t* below = p + picture.stride;
    for (int i = 0; i < n; ++i, p += pitch, below += pitch) {
      const int l = LumaAt(p);
      const int dx = LumaAt(p + 3) - l;
      const int dy = LumaAt(below) - l;
      energy += static_cast<std::uint64_t>(dx * dx + dy * dy);
      lumaSum += static_cast<std::uint64_t>(l);
    }
    points += static_cast<std::uint64_t>(n);
  }
  if (lumaSum == 0) return 0.0;
  const double mean = static_cast<double>(lumaSum) / static_cast<double>(points);
  return 1000.0 * (static_cast<double>(energy) / static_cast<double>(points)) / (mean * mean);
}

void FocusPeak::Add(double value, int pictureWidth, int pictureHeight) {
  if (pictureWidth != width_ || pictureHeight != height_) {
    Reset();
    width_ = pictureWidth;
    height_ = pictureHeight;
  }
  value_ = value;
  peak_ = std::max(peak_, value);
}

void FocusPeak::Reset() {
  value_ = 0;
  peak_ = 0;
}

}  // namespace display
