#include "display/scale_reference.h"

#include <algorithm>
#include <cmath>

namespace display {
namespace {

// Where a view pixel edge lands in the picture: the source rectangle spans the view-sized
// destination rectangle; vertically its bottom edge, sourceY rows above the picture's
// bottom, is the destination's bottom edge destY + viewHeight.
struct Mapping {
  const ScaleInputs& in;

  // Picture x of view x (an edge, or a centre at x + 0.5).
  double X(double viewX) const {
    const RenderGeometry& g = in.geometry;
    return (static_cast<double>(g.sourceX) * in.viewWidth + (viewX - g.destX) * g.sourceWidth) / in.viewWidth;
  }
  // Picture y (top-down) of view y.
  double Y(double viewY) const {
    const RenderGeometry& g = in.geometry;
    const double rowsAboveBottomEdge = (g.destY + in.viewHeight - viewY) * g.sourceHeight;
    return (static_cast<double>(in.imageHeight - g.sourceY) * in.viewHeight - rowsAboveBottomEdge) / in.viewHeight;
  }
};

bool Drawable(const ScaleInputs& in) {
  return in.imageWidth > 0 && in.imageHeight > 0 && in.viewWidth > 0 && in.viewHeight > 0 &&
         in.geometry.sourceWidth > 0 && in.geometry.sourceHeight > 0;
}

ReferencePicture Black(const ScaleInputs& in) {
  ReferencePicture out;
  out.width = std::max(in.viewWidth, 0);
  out.height = std::max(in.viewHeight, 0);
  out.bgr.assign(static_cast<std::size_t>(out.width) * out.height * 3, 0.0);
  return out;
}

double* PixelOf(ReferencePicture& picture, int x, int y) {
  return &picture.bgr[(static_cast<std::size_t>(y) * picture.width + x) * 3];
}

// Length of [a0, a1) inside pixel p's [p, p + 1).
double Overlap(double a0, double a1, int p) { return std::max(0.0, std::min(a1, p + 1.0) - std::max(a0, double(p))); }

}  // namespace

ReferencePicture ReferenceAreaAverage(const std::uint8_t* src, std::size_t srcStride, const ScaleInputs& in) {
  ReferencePicture out = Black(in);
  if (!Drawable(in)) return out;
  const Mapping map{in};
  for (int y = 0; y < in.viewHeight; ++y) {
    const double v0 = map.Y(y), v1 = map.Y(y + 1);
    const int r0 = std::max(0, static_cast<int>(std::floor(v0)));
    const int r1 = std::min(in.imageHeight, static_cast<int>(std::ceil(v1)));
    for (int x = 0; x < in.viewWidth; ++x) {
      const double u0 = map.X(x), u1 = map.X(x + 1);
      const int c0 = std::max(0, static_cast<int>(std::floor(u0)));
      const int c1 = std::min(in.imageWidth, static_cast<int>(std::ceil(u1)));
      double sum[3] = {0, 0, 0};
      for (int r = r0; r < r1; ++r) {
        const double wy = Overlap(v0, v1, r);
        for (int c = c0; c < c1; ++c) {
          const double w = wy * Overlap(u0, u1, c);
          const std::uint8_t* p = src + static_cast<std::size_t>(r) * srcStride + 3 * static_cast<std::size_t>(c);
          for (int k = 0; k < 3; ++k) sum[k] += w * p[k];
        }
      }
      double* pixel = PixelOf(out, x, y);
      for (int k = 0; k < 3; ++k) pixel[k] = sum[k] / ((u1 - u0) * (v1 - v0));
    }
  }
  return out;
}

ReferencePicture ReferenceNearest(const std::uint8_t* src, std::size_t srcStride, const ScaleInputs& in) {
  ReferencePicture out = Black(in);
  if (!Drawable(in)) return out;
  const Mapping map{in};
  for (int y = 0; y < in.viewHeight; ++y) {
    const double r = std::floor(map.Y(y + 0.5));
    if (r < 0 || r >= in.imageHeight) continue;
    for (int x = 0; x < in.viewWidth; ++x) {
      const double c = std::floor(map.X(x + 0.5));
      if (c < 0 || c >= in.imageWidth) continue;
      const std::uint8_t* p = src + static_cast<std::size_t>(r) * srcStride + 3 * static_cast<std::size_t>(c);
      double* pixel = PixelOf(out, x, y);
      for (int k = 0; k < 3; ++k) pixel[k] = p[k];
    }
  }
  return out;
}

}  // namespace display
