#pragma once
// The plain resampler the fast one is judged by: double precision, no plan and no fixed
// point, every view pixel worked out on its own from the render geometry. Slow; used by the
// tests and the benchmark only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "display/scale_plan.h"

namespace display {

struct ReferencePicture {
  int width = 0;
  int height = 0;
  std::vector<double> bgr;  // three values per pixel, rows top-down, 0 where the view is black

  double At(int x, int y, int channel) const { return bgr[(static_cast<std::size_t>(y) * width + x) * 3 + channel]; }
};

// Each view pixel the exact mean of the picture over its footprint, black outside the picture.
ReferencePicture ReferenceAreaAverage(const std::uint8_t* src, std::size_t srcStride, const ScaleInputs& inputs);

// Each view pixel the picture pixel under its centre, black off the picture.
ReferencePicture ReferenceNearest(const std::uint8_t* src, std::size_t srcStride, const ScaleInputs& inputs);

}  // namespace display
