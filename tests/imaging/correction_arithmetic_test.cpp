// The correction's arithmetic against its scalar definition and against the exact formulas
// it stands for, and the measures its checks use.
#include "imaging/correction_arithmetic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "imaging/picture_measures.h"

namespace {

using namespace q7::imaging;

// Planes of random values: an odd count, so the vector loops leave a tail to the scalar code.
struct Planes {
  explicit Planes(std::size_t count, unsigned seed) : dark(count), gain(count), mean(count) {
    std::mt19937 random(seed);
    for (auto& d : dark) d = static_cast<std::uint8_t>(random() % 40);
    // Gains from 0 to the largest, with many near 1 as a real flat field has them.
    for (auto& g : gain) g = static_cast<std::uint16_t>(random() % 2 ? random() % 65536 : 3000 + random() % 2500);
  }
  std::vector<std::uint8_t> dark;
  std::vector<std::uint16_t> gain, mean;
};

std::vector<std::uint8_t> RandomFrame(std::size_t count, std::mt19937& random) {
  std::vector<std::uint8_t> v(count);
  for (auto& x : v) x = static_cast<std::uint8_t>(random());
  return v;
}

TEST(CorrectionArithmetic, EveryCombinationOfStagesMatchesTheScalarDefinition) {
  const std::size_t count = 3 * 347 + 2;
  std::mt19937 random(5);
  for (int which = 1; which < 8; ++which) {
    SCOPED_TRACE(which);
    Planes vector(count, 9), scalar(count, 9);
    const CorrectionPlanes laidOut =
        LayOutPlanes(which & 2 ? vector.dark.data() : nullptr, which & 1 ? vector.gain.data() : nullptr, count);
    for (int frame = 1; frame <= 12; ++frame) {
      std::vector<std::uint8_t> got = RandomFrame(count, random), expected = got;
      // In two pieces, the second starting inside a block of the planes, as a row may.
      Stages s{which & 4 ? vector.mean.data() : nullptr, MeanWeight(frame, 8), which & 3 ? &laidOut : nullptr};
      CorrectValues(got.data(), 101, s);
      CorrectValues(got.data() + 101, count - 101, s, 101);
      for (std::size_t i = 0; i < count; ++i) {
        expected[i] = CorrectValue(expected[i], which & 4 ? &scalar.mean[i] : nullptr, MeanWeight(frame, 8),
                                   which & 2 ? &scalar.dark[i] : nullptr, which & 1 ? &scalar.gain[i] : nullptr);
      }
      ASSERT_EQ(got, expected) << "frame " << frame;
      ASSERT_EQ(vector.mean, scalar.mean) << "frame " << frame;
    }
  }
}

TEST(CorrectionArithmetic, OneValueIsTheExactFormulaRoundedAndClampedNeverWrapped) {
  for (int raw = 0; raw < 256; raw += 5) {
    for (const std::uint8_t dark : {0, 7, 60, 255}) {
      for (const std::uint16_t gain : {0, 1000, 4096, 5000, 12288, 65535}) {
        const double exact = std::clamp((raw - dark) * gain / 4096.0, 0.0, 255.0);
        const int got = CorrectValue(static_cast<std::uint8_t>(raw), nullptr, 0, &dark, &gain);
        ASSERT_NEAR(got, exact, 0.5 + 1.0 / 16) << raw << " " << int{dark} << " " << gain;
      }
    }
  }
  const std::uint8_t dark = 50;
  EXPECT_EQ(CorrectValue(10, nullptr, 0, &dark, nullptr), 0);
  const std::uint16_t triple = 3 * kGainOne;
  EXPECT_EQ(CorrectValue(250, nullptr, 0, nullptr, &triple), 255);
}

TEST(CorrectionArithmetic, TheRunningMeanIsThePlainMeanWhileFewAndThenCutsNoiseLikeAMeanOfItsLength) {
  const std::size_t count = 3 * 4096;
  std::mt19937 random(11);
  std::normal_distribution<double> noise(128.0, 8.0);
  std::vector<std::uint16_t> mean(count);
  std::vector<std::vector<std::uint8_t>> frames;
  double squares = 0;
  for (int frame = 1; frame <= 80; ++frame) {
    std::vector<std::uint8_t> v(count);
    for (auto& x : v) x = static_cast<std::uint8_t>(std::clamp(std::lround(noise(random)), 0L, 255L));
    frames.push_back(v);
    CorrectValues(v.data(), count, {mean.data(), MeanWeight(frame, 16), nullptr});
    if (frame <= 8) {
      // While the frames are fewer than half the length, the plain mean of them all.
      for (std::size_t i = 0; i < count; i += 97) {
        double plain = 0;
        for (const auto& f : frames) plain += f[i];
        ASSERT_NEAR(v[i], plain / frame, 0.5 + 0.05) << "frame " << frame;
      }
    }
    if (frame == 80) {
      for (const std::uint16_t m : mean) squares += (m / 256.0 - 128.0) * (m / 256.0 - 128.0);
    }
  }
  // A plain mean of 16 frames takes noise of 8 levels down to 2.
  EXPECT_NEAR(std::sqrt(squares / count), 2.0, 0.25);
  // Weight 0 starts again from the frame itself.
  std::vector<std::uint8_t> v(count, 40);
  CorrectValues(v.data(), count, {mean.data(), 0, nullptr});
  EXPECT_EQ(v, std::vector<std::uint8_t>(count, 40));
  EXPECT_EQ(MeanWeight(2, 16), 32768);
  EXPECT_EQ(MeanWeight(40, 16), std::lround(65536.0 * 2 / 17));
}

TEST(CorrectionArithmetic, FlatGainsEvenOutAFieldTakenOverSixteenFramesAndKeepEachChannelsLevel) {
  const int w = 64, h = 48, frames = 16;
  const std::size_t count = 3u * w * h;
  std::vector<std::uint8_t> dark(count);
  std::vector<std::uint16_t> sum(count, 0);
  std::mt19937 random(3);
  for (auto& d : dark) d = static_cast<std::uint8_t>(random() % 12);
  // A warm field falling off towards one side, each frame with a little noise.
  const auto field = [&](std::size_t i) {
    const int x = static_cast<int>(i / 3) % w;
    return dark[i] + (1.0 - 0.4 * x / w) * (i % 3 == 2 ? 200 : i % 3 == 1 ? 160 : 120);
  };
  for (int f = 0; f < frames; ++f) {
    std::vector<std::uint8_t> frame(count);
    for (std::size_t i = 0; i < count; ++i)
      frame[i] = static_cast<std::uint8_t>(std::lround(field(i)) + random() % 3 - 1);
    AddToSum(frame.data(), sum.data(), count);
  }
  std::vector<std::uint8_t> average(count);
  AverageOfSum(sum.data(), frames, average.data(), count);
  for (std::size_t i = 0; i < count; i += 31) ASSERT_NEAR(average[i], field(i), 1.5) << i;

  std::vector<std::uint16_t> gains(count);
  ComputeFlatGains(sum.data(), frames, dark.data(), count / 3, gains.data());
  const CorrectionPlanes planes = LayOutPlanes(dark.data(), gains.data(), count);
  CorrectValues(average.data(), count, {nullptr, 0, &planes});
  for (std::size_t i = 0; i < count; ++i) {
    const double channelMean = 0.8 * (i % 3 == 2 ? 200 : i % 3 == 1 ? 160 : 120);
    ASSERT_NEAR(average[i], channelMean, 1.5) << i;
  }
  // A value with no light at all gets the largest gain, not a division by zero.
  const std::uint16_t none[3] = {0, 0, 0}, some[3] = {16, 16, 16};
  std::uint16_t out[6];
  const std::uint16_t twoPixels[6] = {none[0], none[1], none[2], some[0], some[1], some[2]};
  ComputeFlatGains(twoPixels, 16, nullptr, 2, out);
  EXPECT_EQ(out[0], kGainMax);
  EXPECT_EQ(out[3], kGainOne / 2);
}

TEST(PictureMeasures, MeanClippingBrightShareAndTheUnevennessOfBlockMeans) {
  // Left half at 100, right half at 200, and one clipped pixel.
  const int w = 256, h = 128;
  const std::size_t stride = 3 * w + 4;  // padded rows are read as rows
  std::vector<std::uint8_t> p(stride * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 3 * w; ++x) p[y * stride + x] = x < 3 * w / 2 ? 100 : 200;
  p[5 * stride + 3 * 7 + 2] = 255;
  const PictureMeasures m = MeasurePicture(p.data(), w, h, stride);
  EXPECT_NEAR(m.mean, 150.0, 0.01);
  EXPECT_DOUBLE_EQ(m.clippedShare, 1.0 / (w * h));
  EXPECT_NEAR(m.brightShare, 0.5, 0.001);
  EXPECT_EQ(m.highest, 255);
  EXPECT_NEAR(m.unevenness, 50.0 / 150.0, 0.001);
  const std::vector<std::uint8_t> even(3 * 64 * 64, 77);
  EXPECT_EQ(MeasurePicture(even.data(), 64, 64, 3 * 64).unevenness, 0.0);
}

}  // namespace
