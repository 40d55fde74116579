#include "display/picture_point.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "camera/sdk/sensor_image.h"
#include "display/frame_renderer.h"
#include "tests/display/geometry_expectations.h"
#include "tests/display/test_frames.h"
#include "tests/display/test_pixels.h"

namespace {

using display::ComputeRenderGeometry;
using display::ViewToPicture;
using display::VisiblePictureRect;
using display_test::ExpectRect;
using display_test::kCh;
using display_test::kCw;
using display_test::kH;
using display_test::kW;

std::optional<POINT> PixelAt(double scale, int panX, int panY, POINT view) {
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, scale, panX, panY);
  return ViewToPicture(g, kCw, kCh, kW, kH, view);
}

void ExpectPixel(const std::optional<POINT>& p, int x, int y) {
  ASSERT_TRUE(p);
  EXPECT_EQ(p->x, x);
  EXPECT_EQ(p->y, y);
}

TEST(ViewToPicture, ACentredPictureEndsAtItsMarginsAndTheMarginsShowNothing) {
  // 50 %: the 320 x 240 picture sits at (74, 59); each view pixel covers 2 x 2 picture pixels.
  ExpectPixel(PixelAt(50, 0, 0, {74, 59}), 1, 1);
  ExpectPixel(PixelAt(50, 0, 0, {393, 298}), 639, 479);
  EXPECT_FALSE(PixelAt(50, 0, 0, {73, 100}));
  EXPECT_FALSE(PixelAt(50, 0, 0, {394, 100}));
  EXPECT_FALSE(PixelAt(50, 0, 0, {200, 58}));
  EXPECT_FALSE(PixelAt(50, 0, 0, {200, 299}));
}

TEST(ViewToPicture, PanYCountsUpFromThePicturesBottomEdge) {
  // 200 % at pan (0, 0) shows the bottom 179 rows, 301 to 479.
  ExpectPixel(PixelAt(200, 0, 0, {0, 0}), 0, 301);
  ExpectPixel(PixelAt(200, 0, 0, {467, 357}), 233, 479);
  // Pan (50, 20) moves the source 100 columns right and 40 rows up.
  ExpectPixel(PixelAt(200, 50, 20, {0, 0}), 100, 261);
  ExpectPixel(PixelAt(200, 50, 20, {467, 357}), 333, 439);
}

TEST(ViewToPicture, AViewOfNoSizeShowsNoPixel) {
  const auto g = ComputeRenderGeometry(kW, kH, kCw, kCh, 100, 0, 0);
  EXPECT_FALSE(ViewToPicture(g, 0, kCh, kW, kH, {0, 0}));
  EXPECT_FALSE(ViewToPicture(display::RenderGeometry{}, kCw, kCh, kW, kH, {0, 0}));
}

TEST(VisiblePictureRect, IsTheSourceRectangleTurnedTopDownAndClippedToThePicture) {
  ExpectRect(VisiblePictureRect(ComputeRenderGeometry(kW, kH, kCw, kCh, 50, 0, 0), kW, kH), 0, 0, kW, kH);
  ExpectRect(VisiblePictureRect(ComputeRenderGeometry(kW, kH, kCw, kCh, 200, 50, 20), kW, kH), 100, 261, 334, 440);
  ExpectRect(VisiblePictureRect(ComputeRenderGeometry(kW, kH, kCw, kCh, 100, 1000, 1000), kW, kH), 172, 0, 640, 358);
  ExpectRect(VisiblePictureRect(display::RenderGeometry{}, kW, kH), 0, 0, 0, 0);
}

// What GDI really draws: a picture whose colours encode their own coordinates, stretched by
// the renderer with nearest-pixel sampling, read back at many view points. (Scale 100 is left
// out: Wine copies a 1:1 source from the top of a top-down picture, not from its bottom.)
TEST(ViewToPicture, AgreesWithThePixelsTheRendererDraws) {
  display_test::TestFrame coded(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) coded.Set(x, y, x & 255, y & 255, (x >> 8) | (y >> 8) << 4);
  FrameBlock block(kW, kH, 24);
  for (int y = 0; y < kH; ++y) std::memcpy(block.Pixels() + y * block.Stride(), coded.Pixel(0, y), 3 * kW);

  struct View {
    double scale;
    int panX, panY;
  };
  for (const View v : {View{50, 0, 0}, View{130, 40, 30}, View{200, 50, 20}, View{300, 10, 100}}) {
    SCOPED_TRACE(testing::Message() << "scale " << v.scale);
    display_test::Canvas canvas(kCw, kCh);
    display::DrawFrameOptions options;
    options.stretchMode = COLORONCOLOR;
    const auto g = display::DrawFrame(canvas.dc(), RECT{0, 0, kCw, kCh}, block, v.scale, {v.panX, v.panY}, options);
    ASSERT_TRUE(g);
    // Below the caption and left of the navigator.
    for (int y = 80; y < kCh; y += 23)
      for (int x = 0; x < 360; x += 29) {
        const auto p = ViewToPicture(*g, kCw, kCh, kW, kH, {x, y});
        if (!p) continue;
        const COLORREF c = canvas.At(x, y);
        const int drawnX = GetRValue(c) | (GetBValue(c) & 15) << 8, drawnY = GetGValue(c) | (GetBValue(c) >> 4) << 8;
        EXPECT_NEAR(drawnX, p->x, 1) << "view " << x << ", " << y;
        EXPECT_NEAR(drawnY, p->y, 1) << "view " << x << ", " << y;
      }
  }
}

// The simulated camera crops and mirrors its chart as the real one does: every pixel of the
// picture it delivers must be the chart's pixel at the sensor position we compute.
TEST(PictureToSensor, FindsTheSimulatedSensorsOwnPixel) {
  const q7sim::Picture chart = q7sim::MakeTestChart(q7sim::kSensorWidth, q7sim::kSensorHeight);
  for (const bool flipH : {false, true})
    for (const bool flipV : {false, true}) {
      SCOPED_TRACE(testing::Message() << "mirrored " << flipH << flipV);
      q7sim::ImageSettings s;
      s.width = 640, s.height = 480, s.x = (q7sim::kSensorWidth - 640) / 2, s.y = (q7sim::kSensorHeight - 480) / 2;
      s.flipHorizontal = flipH, s.flipVertical = flipV;
      std::vector<std::uint8_t> frame(640 * 3 * 480);
      q7sim::RenderFrame(chart, s, frame.data());
      const display::BgrPicture picture{frame.data(), 640, 480, 640 * 3};
      int wrong = 0;
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
          const POINT p = display::PictureToSensor({x, y}, 640, 480, {s.x, s.y, flipH, flipV});
          const std::uint8_t* c = chart.pixels.data() + p.y * chart.Stride() + 3 * p.x;
          wrong += display::ColourAt(picture, {x, y}) != display::PixelColour{c[2], c[1], c[0]};
        }
      EXPECT_EQ(wrong, 0);
    }
}

TEST(ColourAt, ReadsPaddedRowsAndRefusesPointsOutsideThePicture) {
  display_test::TestFrame frame(5, 3);
  frame.Set(4, 2, 10, 20, 30);
  EXPECT_EQ(display::ColourAt(frame.Picture(), {4, 2}), (display::PixelColour{10, 20, 30}));
  EXPECT_FALSE(display::ColourAt(frame.Picture(), {5, 2}));
  EXPECT_FALSE(display::ColourAt(frame.Picture(), {0, -1}));
  EXPECT_FALSE(display::ColourAt(display::BgrPicture{}, {0, 0}));
}

}  // namespace
