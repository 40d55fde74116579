#include "skin/region_scan.h"

namespace skin {

std::vector<PixelRun> OpaqueRuns(std::span<const COLORREF> row, COLORREF key) {
  std::vector<PixelRun> runs;
  const int width = static_cast<int>(row.size());
  int x = 0;
  while (x < width) {
    while (x < width && row[x] == key) ++x;
    if (x == width) break;
    const int begin = x;
    while (x < width && row[x] != key) ++x;
    runs.push_back({begin, x});
  }
  return runs;
}

fw::UniqueRegion RegionFromOpaquePixels(HDC dc, int width, int height, COLORREF key) {
  fw::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
  if (!region || width <= 0 || height <= 0) return region;
  std::vector<COLORREF> row(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) row[static_cast<size_t>(x)] = ::GetPixel(dc, x, y);
    for (const PixelRun& run : OpaqueRuns(row, key)) {
      fw::UniqueRegion piece(::CreateRectRgn(run.begin, y, run.end, y + 1));
      ::CombineRgn(region.get(), region.get(), piece.get(), RGN_OR);
    }
  }
  return region;
}

}  // namespace skin
