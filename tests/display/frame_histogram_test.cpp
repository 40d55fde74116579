#include "display/frame_histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/display/test_frames.h"

namespace {

using display::ComputeHistogram;
using display::FrameHistogram;
using display_test::TestFrame;

// Every pixel counted the plain way: what the fast counting must reproduce.
FrameHistogram Reference(const TestFrame& frame) {
  FrameHistogram h;
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) {
      const std::uint8_t* p = frame.Pixel(x, y);
      const int b = p[0], g = p[1], r = p[2];
      ++h.blue[b], ++h.green[g], ++h.red[r];
      ++h.luminance[display::Luminance(r, g, b)];
      h.clippedLow += b == 0 || g == 0 || r == 0;
      h.clippedHigh += b == 255 || g == 255 || r == 255;
      ++h.samples;
    }
  return h;
}

// Largest difference between a bin's share of the counted pixels in `a` and in `b`.
double LargestShareDifference(const FrameHistogram::Bins& a, std::uint32_t na, const FrameHistogram::Bins& b,
                              std::uint32_t nb) {
  double worst = 0;
  for (int i = 0; i < 256; ++i) worst = std::max(worst, std::abs(double(a[i]) / na - double(b[i]) / nb));
  return worst;
}

class FrameHistogramTest : public ::testing::Test {
 protected:
  std::mt19937 random_{42};
};

TEST_F(FrameHistogramTest, EveryPixelStepMatchesThePlainCountOnRandomFrames) {
  // Odd widths leave padding at the row ends, filled with 255 that must not count.
  for (const auto& [w, h] : {std::pair{257, 31}, std::pair{640, 480}, std::pair{1, 1}, std::pair{3, 7}}) {
    SCOPED_TRACE(testing::Message() << w << " x " << h);
    const TestFrame frame = display_test::RandomFrame(w, h, random_);
    const FrameHistogram got = ComputeHistogram(frame.Picture(), 1);
    const FrameHistogram want = Reference(frame);
    EXPECT_EQ(got.samples, want.samples);
    EXPECT_EQ(got.blue, want.blue);
    EXPECT_EQ(got.green, want.green);
    EXPECT_EQ(got.red, want.red);
    EXPECT_EQ(got.luminance, want.luminance);
    EXPECT_EQ(got.clippedLow, want.clippedLow);
    EXPECT_EQ(got.clippedHigh, want.clippedHigh);
  }
}

TEST_F(FrameHistogramTest, LuminanceIsRec601WithIntegerWeights) {
  TestFrame frame(6, 1);
  frame.Set(0, 0, 0, 0, 0);
  frame.Set(1, 0, 255, 255, 255);
  frame.Set(2, 0, 255, 0, 0);  // 0.299 * 255
  frame.Set(3, 0, 0, 255, 0);  // 0.587 * 255
  frame.Set(4, 0, 0, 0, 255);  // 0.114 * 255
  frame.Set(5, 0, 100, 100, 100);
  const FrameHistogram h = ComputeHistogram(frame.Picture(), 1);
  for (const int bin : {0, 255, 77, 149, 29, 100}) EXPECT_EQ(h.luminance[bin], 1u) << "bin " << bin;
  // Every grey is its own luminance, and no colour is more than one step off the exact weights.
  for (int v = 0; v < 256; ++v) EXPECT_EQ(display::Luminance(v, v, v), v);
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 5) ASSERT_NEAR(display::Luminance(r, g, b), 0.299 * r + 0.587 * g + 0.114 * b, 1.0);
}

TEST_F(FrameHistogramTest, APixelClipsWhenAnyOfItsChannelsIsAtAnEnd) {
  TestFrame frame(5, 1);
  frame.Set(0, 0, 255, 10, 10);    // high only
  frame.Set(1, 0, 10, 0, 10);      // low only
  frame.Set(2, 0, 0, 128, 255);    // both
  frame.Set(3, 0, 1, 128, 254);    // neither
  frame.Set(4, 0, 255, 255, 255);  // high once, not three times
  const FrameHistogram h = ComputeHistogram(frame.Picture(), 1);
  EXPECT_EQ(h.samples, 5u);
  EXPECT_EQ(h.clippedLow, 2u);
  EXPECT_EQ(h.clippedHigh, 3u);
  EXPECT_DOUBLE_EQ(h.ClippedHighShare(), 0.6);
  EXPECT_DOUBLE_EQ(h.ClippedLowShare(), 0.4);
}

TEST_F(FrameHistogramTest, DefaultGridCountsOnePixelInSixteenAndKeepsTheWholeFramesShares) {
  for (int run = 0; run < 3; ++run) {
    const TestFrame frame = display_test::RandomFrame(2592, 1944, random_);
    const FrameHistogram got = ComputeHistogram(frame.Picture());
    const FrameHistogram all = Reference(frame);
    EXPECT_EQ(got.samples, 648u * 486u);
    // About 1.17 % of random pixels clip at each end; the grid is typically 0.02 % off.
    EXPECT_NEAR(got.ClippedHighShare(), all.ClippedHighShare(), 0.001);
    EXPECT_NEAR(got.ClippedLowShare(), all.ClippedLowShare(), 0.001);
    // A colour bin holds about 0.39 % of the pixels; the grid's share stays within a fifth of that.
    EXPECT_LT(LargestShareDifference(got.red, got.samples, all.red, all.samples), 0.0008);
    EXPECT_LT(LargestShareDifference(got.luminance, got.samples, all.luminance, all.samples), 0.0008);
  }
}

TEST_F(FrameHistogramTest, ThinLinesCountInTheirTrueShare) {
  // One saturated line in four: a grid that always took the same row or column within its
  // square would see all of them or none.
  struct Lines {
    const char* name;
    bool (*on)(int x, int y);
  };
  for (const Lines lines : {Lines{"vertical", [](int x, int) { return x % 4 == 1; }},
                            Lines{"horizontal", [](int, int y) { return y % 4 == 2; }},
                            Lines{"diagonal", [](int x, int y) { return (x + y) % 4 == 3; }},
                            Lines{"other diagonal", [](int x, int y) { return (x - y + 400) % 4 == 0; }}}) {
    SCOPED_TRACE(lines.name);
    TestFrame frame(400, 320);  // 80 bands of rows: 5 turns of the grid
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 400; ++x) lines.on(x, y) ? frame.Set(x, y, 255, 255, 255) : frame.Set(x, y, 90, 90, 90);
    const FrameHistogram h = ComputeHistogram(frame.Picture());
    EXPECT_NEAR(h.ClippedHighShare(), 0.25, 0.01);
    EXPECT_NEAR(double(h.luminance[255]) / h.samples, 0.25, 0.01);
  }
}

TEST_F(FrameHistogramTest, AnEmptyOrMalformedPictureGivesAnEmptyHistogram) {
  const TestFrame frame(8, 8);
  display::BgrPicture picture = frame.Picture();
  picture.stride = 8;  // shorter than a row
  for (const display::BgrPicture& p : {display::BgrPicture{}, picture}) {
    const FrameHistogram h = ComputeHistogram(p);
    EXPECT_EQ(h.samples, 0u);
    EXPECT_EQ(h.ClippedHighShare(), 0.0);
  }
}

}  // namespace
