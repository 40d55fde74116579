#pragma once
// Which picture pixels make each view pixel, and with what weights: the part of resampling
// the frame that depends only on the picture size, the view size and the render geometry.
// Built once for those and used for every frame until one of them changes.
//
// The mapping is the stretch the render geometry describes: the source rectangle
// (sourceX, sourceY, sourceWidth x sourceHeight, its rows counted upward from the
// picture's bottom edge) covers the view-sized rectangle at (destX, destY). What of it lies
// outside the picture is black.
// Shrinking (below 100 %), each view pixel is the exact area average of the picture pixels
// it covers, partly covered ones weighing by the part covered, so thin lines stay visible
// and nothing shimmers while the scale changes. Magnifying (100 % and above), each view
// pixel is the picture pixel under its centre: crisp pixels for inspection.
#include <cstdint>
#include <vector>

#include "display/render_geometry.h"

namespace display {

struct ScaleInputs {
  int imageWidth = 0;  // the frame, 24-bit rows top-down
  int imageHeight = 0;
  int viewWidth = 0;  // the 32-bit target, rows top-down
  int viewHeight = 0;
  RenderGeometry geometry;  // from ComputeRenderGeometry for the sizes above
  friend bool operator==(const ScaleInputs&, const ScaleInputs&) = default;
};

enum class ScaleFilter { kAreaAverage, kNearest };

// Column weights are in 1/kColumnOne of a view pixel, row weights in 1/kRowOne.
inline constexpr int kColumnOne = 1 << 14;
inline constexpr int kRowOne = 1 << 15;

// One axis of the plan.
struct AxisPlan {
  // View pixels [begin, end) show some of the picture; the others are black.
  int begin = 0;
  int end = 0;
  // The picture pixels those view pixels read: [pictureBegin, pictureEnd).
  int pictureBegin = 0;
  int pictureEnd = 0;
  // View pixel begin + i reads picture pixels first[i] .. first[i] + taps - 1, tap t with
  // weight weights[i * taps + t]. Weights of pixels outside the picture or outside the view
  // pixel's footprint are 0, and those of a view pixel that lies wholly on the picture add
  // up to one. Columns have an even number of taps (the kernel takes them in pairs).
  // Nearest sampling has one tap and no weights.
  int taps = 0;
  std::vector<int> first;
  std::vector<std::uint16_t> weights;
};

struct ScalePlan {
  ScaleInputs inputs;
  ScaleFilter filter = ScaleFilter::kNearest;
  AxisPlan columns;  // weights in 1/kColumnOne
  AxisPlan rows;     // weights in 1/kRowOne
};

// The plan for `inputs`. Sizes that are not positive, or an empty source rectangle, give a
// plan that paints the whole view black (the stretch draws nothing there either).
ScalePlan MakeScalePlan(const ScaleInputs& inputs);

// Whether scaling with `plan` is enough work to be worth waking a second thread for.
bool SplitPays(const ScalePlan& plan);

}  // namespace display
