#pragma once
// The shape of a skin: every pixel that is not the key colour belongs to the window.
#include <windows.h>

#include <span>
#include <vector>

#include "framework/handles.h"

namespace skin {

// Pixels [begin, end) of one row.
struct PixelRun {
  int begin;
  int end;
  bool operator==(const PixelRun&) const = default;
};

// The runs of a row that are not `key`, left to right.
std::vector<PixelRun> OpaqueRuns(std::span<const COLORREF> row, COLORREF key);

// The union of the opaque runs of the `width` x `height` pixels at the origin of `dc`, one
// rectangle per run; an all-key image gives an empty region.
fw::UniqueRegion RegionFromOpaquePixels(HDC dc, int width, int height, COLORREF key);

}  // namespace skin
