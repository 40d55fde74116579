#include "display/picture_scaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "display/dib_surface.h"
#include "display/scale_reference.h"
#include "display/scale_worker.h"
#include "state/frame_block.h"

namespace {

using display::MakeScalePlan;
using display::ScaleInputs;
using display::ScalePlan;

constexpr std::uint8_t kGuard = 0xA7;  // in the row padding of the view, which nothing may write
constexpr int kPadPixels = 2;

FrameBlock RandomFrame(int width, int height, unsigned seed) {
  FrameBlock frame(width, height, 24);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::size_t i = 0; i < frame.PixelBytes(); ++i) frame.Pixels()[i] = static_cast<std::uint8_t>(byte(random));
  return frame;
}

ScaleInputs InputsFor(const FrameBlock& frame, int viewWidth, int viewHeight, double scale, int panX, int panY) {
  return {frame.Width(), frame.Height(), viewWidth, viewHeight,
          display::ComputeRenderGeometry(frame.Width(), frame.Height(), viewWidth, viewHeight, scale, panX, panY)};
}

// A 32-bit view with two guard pixels after each row, first filled with garbage.
struct View {
  int width, height;
  std::size_t stride;
  std::vector<std::uint8_t> bytes;

  View(int w, int h) : width(w), height(h), stride(4 * static_cast<std::size_t>(w + kPadPixels)) {
    bytes.assign(stride * h, kGuard);
  }
  const std::uint8_t* Pixel(int x, int y) const { return &bytes[y * stride + 4 * static_cast<std::size_t>(x)]; }
  bool GuardsIntact() const {
    for (int y = 0; y < height; ++y)
      for (std::size_t i = 4 * static_cast<std::size_t>(width); i < stride; ++i)
        if (bytes[y * stride + i] != kGuard) return false;
    return true;
  }
};

View Scale(const FrameBlock& frame, const ScalePlan& plan) {
  View view(plan.inputs.viewWidth, plan.inputs.viewHeight);
  display::ScaleRows(plan, frame.Pixels(), frame.Stride(), view.bytes.data(), view.stride, 0, view.height);
  return view;
}

struct Case {
  const char* name;
  int imageWidth, imageHeight, viewWidth, viewHeight;
  double scale;
  int panX, panY;
};

// Odd sizes, 1-pixel views and pictures, both ends of the scale and of the pan.
const Case kCases[] = {
    {"TenPercentCentred", 640, 480, 468, 358, 10, 0, 0},
    {"FullFrameTenPercent", 2592, 1944, 468, 358, 10, 0, 0},
    {"FullFrameTwentyPercentPannedToTheTopRight", 2592, 1944, 468, 358, 20, 99999, 99999},
    {"FullFrameTwentyPercentAtPanZero", 2592, 1944, 468, 358, 20, 0, 0},
    {"OddSizesOddScale", 641, 479, 467, 357, 37, 0, 0},
    {"FullFrameThirtyPercentPanned", 2592, 1944, 468, 358, 30, 700, 500},
    {"FullFrameFifteenPercentPanned", 2592, 1944, 301, 203, 15, 1000, 700},
    {"OddScalePannedToTheMiddle", 641, 479, 101, 77, 63, 150, 100},
    {"JustBelowNaturalSize", 333, 251, 211, 149, 90, 40, 30},
    {"OnePercent", 640, 480, 468, 358, 1, 0, 0},
    {"OnePixelViewTenPercent", 640, 480, 1, 1, 10, 0, 0},
    {"OnePixelWideView", 640, 480, 1, 358, 10, 0, 0},
    {"OnePixelHighView", 640, 480, 468, 1, 50, 0, 0},
    {"OnePixelPicture", 1, 1, 31, 17, 10, 0, 0},
    {"NaturalSize", 641, 479, 468, 358, 100, 17, 29},
    {"NaturalSizePannedToTheEnd", 641, 479, 468, 358, 100, 99999, 99999},
    {"Magnified150", 97, 61, 203, 149, 150, 20, 10},
    {"ThreeHundredAtPanZero", 640, 480, 467, 359, 300, 0, 0},
    {"ThreeHundredPannedToTheEnd", 640, 480, 467, 359, 300, 99999, 99999},
    {"ThreeHundredSmallPictureCentred", 37, 23, 468, 358, 300, 5, 5},
    {"OnePixelViewThreeHundred", 640, 480, 1, 1, 300, 0, 0},
    {"OnePixelPictureThreeHundred", 1, 1, 11, 7, 300, 0, 0},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ScalerMatchesReference : public ::testing::TestWithParam<Case> {};

TEST_P(ScalerMatchesReference, WithinHalfALevelOfTheExactResult) {
  const Case& c = GetParam();
  const FrameBlock frame = RandomFrame(c.imageWidth, c.imageHeight, 11);
  const ScaleInputs inputs = InputsFor(frame, c.viewWidth, c.viewHeight, c.scale, c.panX, c.panY);
  const ScalePlan plan = MakeScalePlan(inputs);
  const View view = Scale(frame, plan);
  const bool shrinking = c.scale < 100;
  const display::ReferencePicture reference =
      shrinking ? display::ReferenceAreaAverage(frame.Pixels(), frame.Stride(), inputs)
                : display::ReferenceNearest(frame.Pixels(), frame.Stride(), inputs);
  // Fixed point adds at most a tenth of a level to the rounding; nearest sampling is exact.
  const double tolerance = shrinking ? 0.6 : 0.0;
  double worst = 0, signedSum = 0;
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      for (int k = 0; k < 3; ++k) {
        const double error = view.Pixel(x, y)[k] - reference.At(x, y, k);
        signedSum += error;
        worst = std::max(worst, std::abs(error));
      }
      ASSERT_EQ(view.Pixel(x, y)[3], 0) << "at " << x << "," << y;
    }
  }
  EXPECT_LE(worst, tolerance);
  if (view.width * view.height >= 10000) {  // enough pixels for the mean error to show a bias
    EXPECT_LT(std::abs(signedSum / (3.0 * view.width * view.height)), 0.02);
  }
  EXPECT_TRUE(view.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(PictureScaler, ScalerMatchesReference, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(PictureScaler, ThinLinesStayVisibleAtTenPercent) {
  // One-pixel white lines on black, 37 pixels apart. At 10 % each inner view pixel covers
  // 10 x 10 picture pixels, so a line shows at a tenth of its brightness all along its
  // length, and a crossing at 19 hundredths, where point sampling would drop most lines.
  const auto onLine = [](int p) { return p % 37 == 5; };
  FrameBlock frame(2592, 1944, 24);
  for (int y = 0; y < frame.Height(); ++y) {
    std::uint8_t* row = frame.Pixels() + frame.Stride() * y;
    for (int x = 0; x < frame.Width(); ++x)
      if (onLine(x) || onLine(y)) std::fill_n(row + 3 * x, 3, 255);
  }
  const ScalePlan plan = MakeScalePlan(InputsFor(frame, 468, 358, 10, 0, 0));
  const View view = Scale(frame, plan);
  const auto linesIn = [&](int first) {
    for (int p = first; p < first + 10; ++p)
      if (onLine(p)) return 1;
    return 0;
  };
  int lit = 0;
  for (int y = plan.rows.begin + 1; y < plan.rows.end - 1; ++y) {
    for (int x = plan.columns.begin + 1; x < plan.columns.end - 1; ++x) {
      const int lines =
          linesIn(plan.rows.first[y - plan.rows.begin]) + linesIn(plan.columns.first[x - plan.columns.begin]);
      const int value = view.Pixel(x, y)[1];
      const int low[] = {0, 25, 48}, high[] = {0, 26, 49};
      ASSERT_GE(value, low[lines]) << "at " << x << "," << y;
      ASSERT_LE(value, high[lines]) << "at " << x << "," << y;
      lit += lines > 0;
    }
  }
  EXPECT_GT(lit, 5000);
}

TEST(PictureScaler, FlatPictureStaysExactlyFlatInsideAndFadesAtPartlyCoveredEdges) {
  FrameBlock frame(641, 479, 24);
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = 0; x < frame.Width(); ++x) {
      std::uint8_t* p = frame.Pixels() + frame.Stride() * y + 3 * x;
      p[0] = 200, p[1] = 100, p[2] = 50;
    }
  }
  const ScalePlan plan = MakeScalePlan(InputsFor(frame, 468, 358, 37, 0, 0));
  const View view = Scale(frame, plan);
  for (int y = plan.rows.begin + 1; y < plan.rows.end - 1; ++y)
    for (int x = plan.columns.begin + 1; x < plan.columns.end - 1; ++x)
      ASSERT_EQ(std::vector<int>(view.Pixel(x, y), view.Pixel(x, y) + 4), (std::vector<int>{200, 100, 50, 0}));
  // The picture's right edge falls inside the last column: a part of the colour.
  EXPECT_LT(view.Pixel(plan.columns.end - 1, plan.rows.begin + 5)[0], 200);
  EXPECT_EQ(view.Pixel(plan.columns.end, plan.rows.begin + 5)[0], 0);
}

TEST(PictureScaler, PanYZeroShowsTheBottomRowsAndACentredPictureCoversTheStretchRectangle) {
  FrameBlock frame(640, 480, 24);
  for (int y = 0; y < 480; ++y) frame.Pixels()[frame.Stride() * y + 1] = static_cast<std::uint8_t>(y);  // green = row
  // 200 %: the view shows rows 301..479, two view rows per picture row.
  const View magnified = Scale(frame, MakeScalePlan(InputsFor(frame, 468, 358, 200, 0, 0)));
  EXPECT_EQ(magnified.Pixel(0, 0)[1], 301 & 0xFF);
  EXPECT_EQ(magnified.Pixel(0, 357)[1], 479 & 0xFF);
  // 50 %: 320 x 240 at (74, 59), as the stretch centres it.
  const ScalePlan half = MakeScalePlan(InputsFor(frame, 468, 358, 50, 0, 0));
  EXPECT_EQ(half.columns.begin, 74);
  EXPECT_EQ(half.columns.end, 394);
  EXPECT_EQ(half.rows.begin, 59);
  EXPECT_EQ(half.rows.end, 299);
}

TEST(PictureScaler, EmptySourceRectangleOrViewPaintsBlack) {
  const FrameBlock frame = RandomFrame(640, 480, 3);
  const ScalePlan plan = MakeScalePlan(InputsFor(frame, 2, 2, 300, 0, 0));  // source 0 x 0
  const View view = Scale(frame, plan);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(view.Pixel(x, y)[0] + view.Pixel(x, y)[1] + view.Pixel(x, y)[2], 0);
  View none(0, 0);
  display::ScaleRows(MakeScalePlan({640, 480, 0, 0, {}}), frame.Pixels(), frame.Stride(), none.bytes.data(),
                     none.stride, 0, 10);  // nothing to write, and nothing written
}

TEST(PictureScaler, RowsScaledInPartsOrOnTwoThreadsGiveTheSamePicture) {
  const FrameBlock frame = RandomFrame(2592, 1944, 5);
  display::ScaleWorker worker;
  for (const double scale : {10.0, 50.0, 200.0}) {
    const ScalePlan plan = MakeScalePlan(InputsFor(frame, 1920, 1080, scale, 700, 300));
    const View whole = Scale(frame, plan);
    View parts(1920, 1080);
    for (const auto& [first, end] : {std::pair{700, 1080}, {0, 1}, {1, 333}, {333, 700}})
      display::ScaleRows(plan, frame.Pixels(), frame.Stride(), parts.bytes.data(), parts.stride, first, end);
    EXPECT_EQ(parts.bytes, whole.bytes) << scale;
    View shared(1920, 1080);
    worker.Scale(plan, frame.Pixels(), frame.Stride(), shared.bytes.data(), shared.stride);
    EXPECT_EQ(shared.bytes, whole.bytes) << scale;
  }
  EXPECT_EQ(worker.FramesOffered(), 3u);
  // A view of a few pixels is not worth waking the second thread for.
  const ScalePlan tiny = MakeScalePlan(InputsFor(frame, 4, 3, 10, 0, 0));
  View small(4, 3);
  worker.Scale(tiny, frame.Pixels(), frame.Stride(), small.bytes.data(), small.stride);
  EXPECT_EQ(worker.FramesOffered(), 3u);
  EXPECT_EQ(small.bytes, Scale(frame, tiny).bytes);
}

TEST(PictureScaler, SurfaceShowsTheScaledRowsTopDownToGdi) {
  // 2 x 2 at 100 %: each view pixel is its picture pixel, so GDI must read red at the top left.
  FrameBlock frame(2, 2, 24);
  const std::uint8_t rows[2][6] = {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}};  // BGR
  for (int y = 0; y < 2; ++y) std::copy_n(rows[y], 6, frame.Pixels() + frame.Stride() * y);
  display::DibSurface surface;
  ASSERT_TRUE(surface.Fit(nullptr, 2, 2));
  ASSERT_EQ(surface.Stride(), 8u);
  display::ScaleRows(MakeScalePlan(InputsFor(frame, 2, 2, 100, 0, 0)), frame.Pixels(), frame.Stride(), surface.Bits(),
                     surface.Stride(), 0, 2);
  EXPECT_EQ(::GetPixel(surface.Dc(), 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(surface.Dc(), 1, 0), RGB(0, 255, 0));
  EXPECT_EQ(::GetPixel(surface.Dc(), 0, 1), RGB(0, 0, 255));
  EXPECT_EQ(::GetPixel(surface.Dc(), 1, 1), RGB(255, 255, 255));
  EXPECT_FALSE(surface.Fit(nullptr, 0, 5));
}

}  // namespace
