#include "display/scale_plan.h"

#include <algorithm>

namespace display {
namespace {

// One axis of the stretch in exact integers: view pixel d covers the picture interval
// [A(d), A(d) + span) / viewSize with A(d) = origin * viewSize + (d - offset) * span, where
// origin is the picture pixel (top-down) at which the source rectangle begins.
struct AxisMapping {
  std::int64_t origin = 0;
  int offset = 0;
  int span = 0;  // source rectangle size in picture pixels
  int viewSize = 0;
  int imageSize = 0;

  std::int64_t Start(int d) const { return origin * viewSize + static_cast<std::int64_t>(d - offset) * span; }
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// Picture pixels [lo, hi) under view pixel d, clipped to the picture.
struct Footprint {
  int lo = 0;
  int hi = 0;
};

Footprint AreaFootprint(const AxisMapping& m, int d) {
  const std::int64_t a = m.Start(d);
  const std::int64_t lo = std::max<std::int64_t>(FloorDiv(a, m.viewSize), 0);
  const std::int64_t hi = std::min<std::int64_t>(CeilDiv(a + m.span, m.viewSize), m.imageSize);
  return lo < hi ? Footprint{static_cast<int>(lo), static_cast<int>(hi)} : Footprint{};
}

// The picture pixel under view pixel d's centre, or nothing off the picture.
Footprint NearestFootprint(const AxisMapping& m, int d) {
  const std::int64_t index = FloorDiv(2 * m.Start(d) + m.span, 2 * static_cast<std::int64_t>(m.viewSize));
  if (index < 0 || index >= m.imageSize) return {};
  return {static_cast<int>(index), static_cast<int>(index) + 1};
}

template <typename FootprintOf>
AxisPlan CoveredRange(const AxisMapping& m, FootprintOf footprintOf) {
  AxisPlan axis;
  axis.begin = m.viewSize;
  axis.pictureBegin = m.imageSize;
  for (int d = 0; d < m.viewSize; ++d) {
    const Footprint f = footprintOf(m, d);
    if (f.lo == f.hi) continue;
    axis.begin = std::min(axis.begin, d);
    axis.end = d + 1;
    axis.pictureBegin = std::min(axis.pictureBegin, f.lo);
    axis.pictureEnd = std::max(axis.pictureEnd, f.hi);
    axis.taps = std::max(axis.taps, f.hi - f.lo);
  }
  if (axis.end == 0) return AxisPlan{};
  return axis;
}

// Fraction t / span of a view pixel in 1/one, rounded; differences of it give weights
// that add up to exactly `one` over a whole footprint.
int Cumulative(std::int64_t t, int span, int one) {
  return static_cast<int>((2 * t * one + span) / (2 * static_cast<std::int64_t>(span)));
}

AxisPlan AreaAxis(const AxisMapping& m, int one, bool evenTaps) {
  AxisPlan axis = CoveredRange(m, AreaFootprint);
  if (evenTaps) axis.taps += axis.taps % 2;
  const int count = axis.end - axis.begin;
  axis.first.resize(count);
  axis.weights.assign(static_cast<std::size_t>(count) * axis.taps, 0);
  for (int i = 0; i < count; ++i) {
    const int d = axis.begin + i;
    const Footprint f = AreaFootprint(m, d);
    const std::int64_t a = m.Start(d);
    axis.first[i] = f.lo;
    for (int p = f.lo; p < f.hi; ++p) {
      const std::int64_t lo = std::max<std::int64_t>(a, static_cast<std::int64_t>(p) * m.viewSize);
      const std::int64_t hi = std::min<std::int64_t>(a + m.span, static_cast<std::int64_t>(p + 1) * m.viewSize);
      const int w = Cumulative(hi - a, m.span, one) - Cumulative(lo - a, m.span, one);
      axis.weights[static_cast<std::size_t>(i) * axis.taps + (p - f.lo)] = static_cast<std::uint16_t>(w);
    }
  }
  return axis;
}

AxisPlan NearestAxis(const AxisMapping& m) {
  AxisPlan axis = CoveredRange(m, NearestFootprint);
  const int count = axis.end - axis.begin;
  axis.first.resize(count);
  for (int i = 0; i < count; ++i) axis.first[i] = NearestFootprint(m, axis.begin + i).lo;
  return axis;
}

}  // namespace

ScalePlan MakeScalePlan(const ScaleInputs& inputs) {
  ScalePlan plan;
  plan.inputs = inputs;
  const RenderGeometry& g = inputs.geometry;
  if (inputs.imageWidth <= 0 || inputs.imageHeight <= 0 || inputs.viewWidth <= 0 || inputs.viewHeight <= 0 ||
      g.sourceWidth <= 0 || g.sourceHeight <= 0)
    return plan;

  const AxisMapping x{g.sourceX, g.destX, g.sourceWidth, inputs.viewWidth, inputs.imageWidth};
  // The source rectangle's rows count upward from the picture's bottom edge; its top row,
  // counted down from the top edge, is where the view's top maps.
  const AxisMapping y{static_cast<std::int64_t>(inputs.imageHeight) - g.sourceY - g.sourceHeight, g.destY,
                      g.sourceHeight, inputs.viewHeight, inputs.imageHeight};
  // The geometry shrinks both axes below 100 % and neither from 100 % on.
  const bool shrinking = g.sourceWidth > inputs.viewWidth || g.sourceHeight > inputs.viewHeight;
  if (shrinking) {
    plan.filter = ScaleFilter::kAreaAverage;
    plan.columns = AreaAxis(x, kColumnOne, true);
    plan.rows = AreaAxis(y, kRowOne, false);
  } else {
    plan.filter = ScaleFilter::kNearest;
    plan.columns = NearestAxis(x);
    plan.rows = NearestAxis(y);
  }
  if (plan.columns.begin == plan.columns.end || plan.rows.begin == plan.rows.end) {
    plan.columns = AxisPlan{};
    plan.rows = AxisPlan{};
  }
  return plan;
}

bool SplitPays(const ScalePlan& plan) {
  // Bytes read and written, roughly: 4 MB take about a millisecond, against a wake-up and
  // a wait that under Wine cost a tenth of that and more on a busy machine.
  constexpr std::int64_t kWorthSplitting = 4 << 20;
  const std::int64_t shown = static_cast<std::int64_t>(plan.rows.end - plan.rows.begin) *
                             (plan.filter == ScaleFilter::kAreaAverage ? plan.rows.taps : 1) *
                             (plan.columns.pictureEnd - plan.columns.pictureBegin) * 3;
  const std::int64_t written = 4LL * plan.inputs.viewWidth * plan.inputs.viewHeight;
  return shown + written >= kWorthSplitting;
}

}  // namespace display
