#pragma once
// Resampling the frame into a view by a ScalePlan: from the 24-bit top-down frame into
// 32-bit top-down BGRX rows (a DIB section with a negative height), the X byte 0. Pure:
// no GDI, no shared state, so two threads can each scale their own rows of one view.
#include <cstddef>
#include <cstdint>

#include "display/scale_plan.h"

namespace display {

// Writes view rows [firstRow, endRow) (clipped to the view) of `dst`, every pixel of them.
// `src` holds plan.inputs.imageHeight rows of plan.inputs.imageWidth 3-byte pixels,
// `srcStride` bytes apart; `dst` holds plan.inputs.viewHeight rows of viewWidth 4-byte
// pixels, `dstStride` bytes apart. Fixed-point with SSE2; at most one level off the exact
// area average rounded.
void ScaleRows(const ScalePlan& plan, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
               std::size_t dstStride, int firstRow, int endRow);

}  // namespace display
