#include "camera/sdk/sensor_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using namespace q7sim;

// A chart whose every pixel tells where it came from: blue = x, green = y, red = 7.
Picture PositionChart(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.resize(p.Stride() * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* px = &p.pixels[y * p.Stride() + 3 * x];
      px[0] = static_cast<std::uint8_t>(x), px[1] = static_cast<std::uint8_t>(y), px[2] = 7;
    }
  }
  return p;
}

struct Px {
  int b, g, r;
};
Px At(const std::vector<std::uint8_t>& out, int width, int x, int y) {
  const std::uint8_t* p = &out[(y * width + x) * 3];
  return {p[0], p[1], p[2]};
}

ImageSettings Aoi(int x, int y, int w, int h) {
  ImageSettings s;
  s.x = x, s.y = y, s.width = w, s.height = h;
  return s;
}

TEST(SensorImageGeometry, AreaOfInterestCropsTheChart) {
  const Picture chart = PositionChart(40, 30);
  const ImageSettings s = Aoi(8, 6, 16, 10);
  std::vector<std::uint8_t> out(16 * 10 * 3);
  RenderFrame(chart, s, out.data());
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 16; ++x) {
      const Px p = At(out, 16, x, y);
      ASSERT_EQ(p.b, 8 + x);
      ASSERT_EQ(p.g, 6 + y);
    }
  }
}

TEST(SensorImageGeometry, MirroringFlipsWithinTheArea) {
  const Picture chart = PositionChart(40, 30);
  ImageSettings s = Aoi(8, 6, 16, 10);
  std::vector<std::uint8_t> out(16 * 10 * 3);
  s.flipHorizontal = true;
  RenderFrame(chart, s, out.data());
  EXPECT_EQ(At(out, 16, 0, 0).b, 8 + 15);
  EXPECT_EQ(At(out, 16, 15, 9).b, 8);
  EXPECT_EQ(At(out, 16, 0, 0).g, 6);
  s.flipHorizontal = false;
  s.flipVertical = true;
  RenderFrame(chart, s, out.data());
  EXPECT_EQ(At(out, 16, 0, 0).g, 6 + 9);
  EXPECT_EQ(At(out, 16, 0, 0).b, 8);
  s.flipHorizontal = true;
  RenderFrame(chart, s, out.data());
  EXPECT_EQ(At(out, 16, 3, 2).b, 8 + 12);
  EXPECT_EQ(At(out, 16, 3, 2).g, 6 + 7);
}

TEST(SensorImageGeometry, AoiMustLieOnTheSensor) {
  EXPECT_TRUE(AoiFits(Aoi(0, 0, 2592, 1944), kSensorWidth, kSensorHeight));
  EXPECT_TRUE(AoiFits(Aoi(976, 732, 640, 480), kSensorWidth, kSensorHeight));
  // Position of a small area written before the size shrank from full sensor.
  EXPECT_FALSE(AoiFits(Aoi(976, 732, 2592, 1944), kSensorWidth, kSensorHeight));
  EXPECT_FALSE(AoiFits(Aoi(-8, 0, 640, 480), kSensorWidth, kSensorHeight));
}

TEST(SensorImageTone, ExposureAndGainScaleBrightness) {
  EXPECT_DOUBLE_EQ(Brightness(kNominalExposeUs, 0.0), 1.0);
  EXPECT_DOUBLE_EQ(Brightness(2 * kNominalExposeUs, 0.0), 2.0);
  EXPECT_NEAR(Brightness(kNominalExposeUs, 20.0), 10.0, 1e-9);
  ImageSettings s;
  s.brightness = 2.0;
  const ChannelTables t = MakeChannelTables(s);
  EXPECT_EQ(t.green[50], 100);
  EXPECT_EQ(t.green[200], 255);  // clipped
  EXPECT_EQ(t.green[0], 0);
}

TEST(SensorImageTone, ColourGainsTintAndOffsetLifts) {
  ImageSettings s;
  s.redGain = 2.0;
  s.blueGain = 0.5;
  ChannelTables t = MakeChannelTables(s);
  EXPECT_EQ(t.red[60], 120);
  EXPECT_EQ(t.green[60], 60);
  EXPECT_EQ(t.blue[60], 30);
  s = ImageSettings{};
  s.offset = 25.5;  // 10 percent
  t = MakeChannelTables(s);
  EXPECT_EQ(t.green[0], 26);
  EXPECT_EQ(t.green[250], 255);
  s.offset = -255.0;
  t = MakeChannelTables(s);
  EXPECT_EQ(t.red[255], 0);
}

TEST(SensorImageTone, MonoGivesEqualChannels) {
  Picture chart = PositionChart(8, 4);
  ImageSettings s = Aoi(0, 0, 8, 4);
  s.mono = true;
  std::vector<std::uint8_t> out(8 * 4 * 3);
  RenderFrame(chart, s, out.data());
  for (int i = 0; i < 8 * 4; ++i) {
    EXPECT_EQ(out[3 * i], out[3 * i + 1]);
    EXPECT_EQ(out[3 * i], out[3 * i + 2]);
  }
  // Pixel (5, 3): (29 * 5 + 150 * 3 + 77 * 7) / 256.
  EXPECT_EQ(At(out, 8, 5, 3).g, (29 * 5 + 150 * 3 + 77 * 7) >> 8);
}

TEST(SensorImageScene, TheChartIsWarmUntilBalanced) {
  const Picture chart = MakeTestChart(kSensorWidth / 4, kSensorHeight / 4);
  const ChannelMeans raw = MeasureMeans(chart.pixels.data(), chart.width, chart.height, chart.Stride(), 4);
  EXPECT_GT(raw.red, raw.green * 1.1);
  EXPECT_LT(raw.blue, raw.green * 0.9);
  const ColourGains g = NeutralisingGains(raw, 0.0, 10.0);
  EXPECT_EQ(g.green, 1.0);
  EXPECT_NEAR(raw.red * g.red, raw.green, 1e-9);
  EXPECT_NEAR(raw.blue * g.blue, raw.green, 1e-9);
  // A channel with no light asks for the most gain there is, not a division by zero.
  EXPECT_EQ(NeutralisingGains({0.0, 100.0, 100.0}, 0.0, 4.0).blue, 4.0);
}

TEST(SensorImageScene, MovingObjectsChangeFromFrameToFrameInTheCentreAndTheCornerCounters) {
  const int w = kSensorWidth / 4, h = kSensorHeight / 4;
  const Picture chart = MakeTestChart(w, h);
  const ImageSettings s = Aoi(0, 0, w, h);
  std::vector<std::uint8_t> a(chart.pixels.size()), b(chart.pixels.size());
  RenderFrame(chart, s, a.data());
  RenderFrame(chart, s, b.data());
  DrawMovingObjects(s, w, h, 10, a.data());
  DrawMovingObjects(s, w, h, 11, b.data());
  int changed = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (std::memcmp(&a[(y * w + x) * 3], &b[(y * w + x) * 3], 3) == 0) continue;
      ++changed;
      // The central 640 x 480 of the sensor holds everything that moves, but for the small
      // counters 40 pixels in from each corner.
      const bool inCentre = x >= (w - w * 640 / kSensorWidth) / 2 && y >= (h - h * 480 / kSensorHeight) / 2;
      const bool inCornerCounter = (y >= 40 && y < 52) || (y >= h - 52 && y < h - 40);
      ASSERT_TRUE(inCentre || inCornerCounter) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 50);
}

TEST(SensorImageScene, ABufferReusedForTheNextFrameEqualsOneDevelopedAfresh) {
  const int w = kSensorWidth / 4, h = kSensorHeight / 4;
  const Picture chart = MakeTestChart(w, h);
  ImageSettings crop = Aoi(w / 5, h / 6, w / 2 + 1, h / 2 + 3);
  ImageSettings mirrored = crop;
  mirrored.flipHorizontal = mirrored.flipVertical = true;
  for (const ImageSettings& s : {Aoi(0, 0, w, h), crop, mirrored}) {
    const std::size_t size = static_cast<std::size_t>(s.width) * 3 * s.height;
    std::vector<std::uint8_t> developed(size), reused(size), fresh(size);
    RenderFrame(chart, s, developed.data());
    reused = developed;
    // Frames far apart, so the ball's old and new places need not overlap.
    for (const auto& [drawn, next] : {std::pair<std::uint64_t, std::uint64_t>{3, 40}, {40, 41}}) {
      if (drawn == 3) DrawMovingObjects(s, w, h, drawn, reused.data());
      RestoreMovingObjects(s, w, h, drawn, developed.data(), reused.data());
      DrawMovingObjects(s, w, h, next, reused.data());
      fresh = developed;
      DrawMovingObjects(s, w, h, next, fresh.data());
      ASSERT_EQ(reused, fresh) << "frame " << next << ", crop at " << s.x << "," << s.y;
    }
  }
}

// ---------------------------------------------------------------------------------------
// The faults the picture correction takes out

TEST(SensorFaults, WithoutVignettingTheChartSceneIsTheChart) {
  EXPECT_EQ(MakeScene(Scene::Chart, 0.0, 648, 486).pixels, MakeTestChart(648, 486).pixels);
  const Picture dark = MakeScene(Scene::Dark, 0.5, 64, 48);
  EXPECT_TRUE(std::all_of(dark.pixels.begin(), dark.pixels.end(), [](std::uint8_t v) { return v == 0; }));
}

TEST(SensorFaults, VignettingTakesItsFractionAtTheFarthestCornerAndNothingAtTheOpticalCentre) {
  const int w = 648, h = 486;
  const Picture even = MakeScene(Scene::Flat, 0.0, w, h), dimmed = MakeScene(Scene::Flat, 0.4, w, h);
  const auto green = [&](const Picture& p, int x, int y) { return p.pixels[y * p.Stride() + 3 * x + 1]; };
  // The centre lies right of and above the middle: the bottom-left corner is the farthest.
  EXPECT_EQ(green(dimmed, w * 56 / 100, h * 45 / 100), green(even, 0, 0));
  EXPECT_NEAR(green(dimmed, 0, h - 1), 0.6 * green(even, 0, 0), 1.0);
  EXPECT_GT(green(dimmed, w - 1, 0), green(dimmed, 0, h - 1));
}

TEST(SensorFaults, TheDarkPatternFollowsTheSensorPositionThroughCropAndMirroring) {
  const int w = 200, h = 160, level = 6;
  ImageSettings whole = Aoi(0, 0, w, h);
  std::vector<std::uint8_t> full(static_cast<std::size_t>(w) * h * 3, 0);
  AddDarkPattern(whole, level, full.data());
  ImageSettings mirroredCrop = Aoi(40, 30, 80, 60);
  mirroredCrop.flipHorizontal = mirroredCrop.flipVertical = true;
  std::vector<std::uint8_t> crop(80u * 60u * 3u, 0);
  AddDarkPattern(mirroredCrop, level, crop.data());
  // Output pixel (0, 0) of the mirrored crop is sensor pixel (119, 89).
  EXPECT_EQ(0, std::memcmp(&crop[0], &full[(89 * w + 119) * 3], 3));
  double sum = 0;
  int hot = 0;
  for (int x = 0; x < 2592; ++x) {
    for (int y = 0; y < 100; ++y) {
      const int v = DarkOffsetAt(level, x, y, 1);
      if (v > 2 * level) {
        EXPECT_GE(v, 96);
        ++hot;
      } else {
        sum += v;
      }
    }
  }
  EXPECT_NEAR(sum / (259200 - hot), level, 0.1);
  EXPECT_GT(hot, 20);
  EXPECT_LT(hot, 120);
}

TEST(SensorFaults, NoiseHasItsDeviationChangesEveryFrameAndSaturates) {
  const std::size_t n = 3 * 640 * 480;
  const std::vector<std::uint8_t> clean(n, 128);
  std::vector<std::uint8_t> a(n), b(n);
  const NoiseTable noise(NoiseSigma(2.0, 6.0206));  // twice as strong at 6 dB
  noise.Add(clean.data(), a.data(), n, 1);
  noise.Add(clean.data(), b.data(), n, 2);
  double sum = 0, squares = 0;
  for (const std::uint8_t v : a) sum += v, squares += (v - 128.0) * (v - 128.0);
  EXPECT_NEAR(sum / n, 128.0, 0.05);
  EXPECT_NEAR(std::sqrt(squares / n), 4.0, 0.1);
  EXPECT_NE(a, b);
  // Black and white with strong noise: clamped at both ends, never wrapped round.
  std::vector<std::uint8_t> extremes(4096), out(4096);
  for (std::size_t i = 0; i < extremes.size(); ++i) extremes[i] = i % 2 ? 255 : 0;
  NoiseTable(60.0).Add(extremes.data(), out.data(), out.size(), 7);
  int clamped = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    ASSERT_TRUE(i % 2 ? out[i] >= 128 : out[i] <= 127) << i;
    clamped += out[i] == extremes[i];
  }
  EXPECT_GT(clamped, 1500);
}

// A scene whose grey grows with the brightness and clips at white, like the chart.
double SceneGrey(const ExposureState& e) { return std::min(255.0, 90.0 * Brightness(e.exposeUs, e.gainDb)); }

TEST(SensorAutoControl, AutoExposureSettlesOnTheDesiredGrey) {
  AutoControl c;
  c.autoExpose = true;
  c.exposeLowerUs = 10, c.exposeUpperUs = 500000;
  c.desiredGrey = 128;
  c.speed = 2;
  ExposureState e;
  for (int i = 0; i < 30; ++i) e = AutoControlStep(e, SceneGrey(e), c);
  EXPECT_NEAR(SceneGrey(e), 128.0, 2.0);
  EXPECT_EQ(e.gainDb, 0.0);
}

TEST(SensorAutoControl, LimitsHoldAndGainTakesOverWhenExposureIsAtItsTop) {
  AutoControl c;
  c.autoExpose = true;
  c.exposeLowerUs = 10, c.exposeUpperUs = 25000;
  c.gainLowerDb = 0.0, c.gainUpperDb = 32.0;
  c.desiredGrey = 200;
  c.speed = 1;
  ExposureState e;
  for (int i = 0; i < 60; ++i) e = AutoControlStep(e, SceneGrey(e), c);
  EXPECT_EQ(e.exposeUs, 25000);  // at its upper limit, still too dark
  EXPECT_EQ(e.gainDb, 0.0);      // auto gain is off
  c.autoGain = true;
  for (int i = 0; i < 60; ++i) e = AutoControlStep(e, SceneGrey(e), c);
  EXPECT_EQ(e.exposeUs, 25000);
  EXPECT_GT(e.gainDb, 0.0);
  EXPECT_NEAR(SceneGrey(e), 200.0, 3.0);
  // Darkening takes the gain back first.
  c.desiredGrey = 60;
  for (int i = 0; i < 60; ++i) e = AutoControlStep(e, SceneGrey(e), c);
  EXPECT_EQ(e.gainDb, 0.0);
  EXPECT_LT(e.exposeUs, 25000);
  EXPECT_NEAR(SceneGrey(e), 60.0, 2.0);
}

TEST(SensorAutoControl, AutoGainAloneStaysWithinItsLimits) {
  AutoControl c;
  c.autoGain = true;
  c.gainLowerDb = 1.0, c.gainUpperDb = 3.0;
  c.desiredGrey = 250;
  ExposureState e;
  for (int i = 0; i < 40; ++i) e = AutoControlStep(e, SceneGrey(e), c);
  EXPECT_EQ(e.gainDb, 3.0);
  EXPECT_EQ(e.exposeUs, kNominalExposeUs);
  c.desiredGrey = 1;
  for (int i = 0; i < 40; ++i) e = AutoControlStep(e, SceneGrey(e), c);
  EXPECT_EQ(e.gainDb, 1.0);
}

}  // namespace
