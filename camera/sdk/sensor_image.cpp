#include "camera/sdk/sensor_image.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace q7sim {
namespace {

struct Bgr {
  std::uint8_t b, g, r;
};

// Warm light: what the white balance has to take out again.
constexpr double kRedCast = 1.25;
constexpr double kBlueCast = 0.8;

std::uint8_t ClampByte(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 255.0) return 255;
  return static_cast<std::uint8_t>(v + 0.5);
}

Bgr Lit(int r, int g, int b) { return {ClampByte(b * kBlueCast), ClampByte(g), ClampByte(r * kRedCast)}; }

class Canvas {
 public:
  explicit Canvas(Picture& p) : p_(p) {}
  void Fill(int x0, int y0, int x1, int y1, Bgr c) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0);
    x1 = std::min(x1, p_.width), y1 = std::min(y1, p_.height);
    for (int y = y0; y < y1; ++y) {
      std::uint8_t* row = p_.pixels.data() + static_cast<std::size_t>(y) * p_.Stride();
      for (int x = x0; x < x1; ++x) {
        row[3 * x] = c.b, row[3 * x + 1] = c.g, row[3 * x + 2] = c.r;
      }
    }
  }
  void Frame(int x0, int y0, int x1, int y1, int t, Bgr c) {
    Fill(x0, y0, x1, y0 + t, c);
    Fill(x0, y1 - t, x1, y1, c);
    Fill(x0, y0, x0 + t, y1, c);
    Fill(x1 - t, y0, x1, y1, c);
  }
  // Bars across [x0, x1) and a ramp below them: the chart's two main patterns.
  void BarsAndRamp(int x0, int y0, int x1, int barsBottom, int rampBottom) {
    static constexpr int kBars[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                        {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {16, 16, 16}};
    const int w = x1 - x0;
    for (int i = 0; i < 8; ++i) {
      Fill(x0 + w * i / 8, y0, x0 + w * (i + 1) / 8, barsBottom, Lit(kBars[i][0], kBars[i][1], kBars[i][2]));
    }
    for (int x = x0; x < x1; ++x) {
      const int v = (x - x0) * 255 / std::max(w - 1, 1);
      Fill(x, barsBottom, x + 1, rampBottom, Lit(v, v, v));
    }
  }

 private:
  Picture& p_;
};

// The standard areas of interest, centred on the full sensor.
constexpr int kAoiSizes[][2] = {{2320, 1744}, {2048, 1536}, {1920, 1080}, {1600, 1200}, {1408, 1048},
                                {1280, 1024}, {1280, 960},  {1024, 768},  {640, 480}};

struct Box {
  int x0, y0, x1, y1;
};
// The central region that every area of interest contains, scaled to the chart.
Box CentralBox(int width, int height) {
  const int w = std::max(width * 640 / kSensorWidth, 8);
  const int h = std::max(height * 480 / kSensorHeight, 8);
  const int x0 = (width - w) / 2, y0 = (height - h) / 2;
  return {x0, y0, x0 + w, y0 + h};
}

// A ball bouncing in the central region's lower half, one step per frame.
struct Ball {
  int x, y, r;
};
Ball BallAt(int chartWidth, int chartHeight, std::uint64_t frameNumber) {
  const Box b = CentralBox(chartWidth, chartHeight);
  const int bw = b.x1 - b.x0, bh = b.y1 - b.y0;
  const int r = std::max(bh / 12, 2);
  const int spanX = std::max(bw - 2 * r, 1), spanY = std::max(bh * 40 / 100 - 2 * r, 1);
  const auto bounce = [](std::uint64_t pos, int span) {
    const auto p = static_cast<int>(pos % (2 * static_cast<std::uint64_t>(span)));
    return p < span ? p : 2 * span - p;
  };
  return {b.x0 + r + bounce(frameNumber * 7, spanX), b.y0 + bh * 58 / 100 + r + bounce(frameNumber * 5, spanY), r};
}

// Fills chart rectangle [x0, x1) x [y0, y1) of the output with one chart colour, through the
// transfer tables and the crop and mirroring of `s`.
void FillThrough(const ImageSettings& s, const ChannelTables& t, int x0, int y0, int x1, int y1, Bgr c,
                 std::uint8_t* out) {
  x0 = std::max(x0, s.x), y0 = std::max(y0, s.y);
  x1 = std::min(x1, s.x + s.width), y1 = std::min(y1, s.y + s.height);
  if (x0 >= x1 || y0 >= y1) return;
  Bgr v{t.blue[c.b], t.green[c.g], t.red[c.r]};
  if (s.mono) {
    const std::uint8_t grey = static_cast<std::uint8_t>((29 * v.b + 150 * v.g + 77 * v.r) >> 8);
    v = {grey, grey, grey};
  }
  for (int y = y0; y < y1; ++y) {
    const int oy = s.flipVertical ? s.y + s.height - 1 - y : y - s.y;
    std::uint8_t* row = out + static_cast<std::size_t>(oy) * s.width * 3;
    for (int x = x0; x < x1; ++x) {
      const int ox = s.flipHorizontal ? s.x + s.width - 1 - x : x - s.x;
      row[3 * ox] = v.b, row[3 * ox + 1] = v.g, row[3 * ox + 2] = v.r;
    }
  }
}

}  // namespace

Picture MakeTestChart(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.resize(p.Stride() * static_cast<std::size_t>(height));
  Canvas c(p);
  c.Fill(0, 0, width, height, Lit(112, 112, 112));
  c.BarsAndRamp(0, 0, width, height * 30 / 100, height * 36 / 100);
  c.BarsAndRamp(0, height * 70 / 100, width, height * 90 / 100, height);
  // Outlines of the standard areas of interest show how each resolution crops the sensor.
  for (const auto& a : kAoiSizes) {
    const int w = width * a[0] / kSensorWidth, h = height * a[1] / kSensorHeight;
    const int x0 = (width - w) / 2, y0 = (height - h) / 2;
    c.Frame(x0, y0, x0 + w, y0 + h, std::max(width / 650, 1), Lit(230, 230, 230));
  }
  // The central region: a small chart of its own, so every resolution shows bars and a ramp.
  const Box b = CentralBox(width, height);
  const int bh = b.y1 - b.y0, bw = b.x1 - b.x0;
  c.Fill(b.x0, b.y0, b.x1, b.y1, Lit(56, 56, 56));
  c.BarsAndRamp(b.x0, b.y0, b.x1, b.y0 + bh * 30 / 100, b.y0 + bh * 45 / 100);
  // An "F" left of the centre: shows at once whether the picture is mirrored.
  const int u = std::max(bw / 32, 1);
  const int fx = b.x0 + bw / 10, fy = b.y0 + bh * 52 / 100;
  c.Fill(fx, fy, fx + u, fy + 9 * u, Lit(235, 235, 235));
  c.Fill(fx, fy, fx + 5 * u, fy + u, Lit(235, 235, 235));
  c.Fill(fx, fy + 4 * u, fx + 4 * u, fy + 5 * u, Lit(235, 235, 235));
  return p;
}

double Brightness(int exposeUs, double gainDb) {
  return static_cast<double>(exposeUs) / kNominalExposeUs * std::pow(10.0, gainDb / 20.0);
}

ChannelTables MakeChannelTables(const ImageSettings& s) {
  ChannelTables t;
  for (int v = 0; v < 256; ++v) {
    t.blue[v] = ClampByte(v * s.brightness * s.blueGain + s.offset);
    t.green[v] = ClampByte(v * s.brightness * s.greenGain + s.offset);
    t.red[v] = ClampByte(v * s.brightness * s.redGain + s.offset);
  }
  return t;
}

bool AoiFits(const ImageSettings& s, int pictureWidth, int pictureHeight) {
  return s.x >= 0 && s.y >= 0 && s.width > 0 && s.height > 0 && s.x + s.width <= pictureWidth &&
         s.y + s.height <= pictureHeight;
}

void RenderFrame(const Picture& chart, const ImageSettings& s, std::uint8_t* out) {
  const ChannelTables t = MakeChannelTables(s);
  bool identity = !s.mono;
  for (int v = 0; v < 256 && identity; ++v) identity = t.blue[v] == v && t.green[v] == v && t.red[v] == v;
  // Mono weights folded into the tables: grey = (29 B + 150 G + 77 R) / 256.
  std::array<std::uint16_t, 256> monoB{}, monoG{}, monoR{};
  if (s.mono) {
    for (int v = 0; v < 256; ++v) {
      monoB[v] = static_cast<std::uint16_t>(29 * t.blue[v]);
      monoG[v] = static_cast<std::uint16_t>(150 * t.green[v]);
      monoR[v] = static_cast<std::uint16_t>(77 * t.red[v]);
    }
  }
  const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 3;
  for (int oy = 0; oy < s.height; ++oy) {
    const int sy = s.flipVertical ? s.y + s.height - 1 - oy : s.y + oy;
    const std::uint8_t* src =
        chart.pixels.data() + static_cast<std::size_t>(sy) * chart.Stride() + static_cast<std::size_t>(s.x) * 3;
    std::uint8_t* dst = out + static_cast<std::size_t>(oy) * rowBytes;
    if (identity && !s.flipHorizontal) {
      std::memcpy(dst, src, rowBytes);
      continue;
    }
    // Walk the source forwards or backwards; the destination always forwards.
    const std::ptrdiff_t step = s.flipHorizontal ? -3 : 3;
    const std::uint8_t* p = s.flipHorizontal ? src + rowBytes - 3 : src;
    std::uint8_t* d = dst;
    std::uint8_t* const end = dst + rowBytes;
    if (s.mono) {
      for (; d != end; d += 3, p += step) {
        const auto grey = static_cast<std::uint8_t>((monoB[p[0]] + monoG[p[1]] + monoR[p[2]]) >> 8);
        d[0] = grey, d[1] = grey, d[2] = grey;
      }
    } else {
      for (; d != end; d += 3, p += step) {
        d[0] = t.blue[p[0]], d[1] = t.green[p[1]], d[2] = t.red[p[2]];
      }
    }
  }
}

void DrawMovingObjects(const ImageSettings& s, int chartWidth, int chartHeight, std::uint64_t frameNumber,
                       std::uint8_t* out) {
  const ChannelTables t = MakeChannelTables(s);
  const Box b = CentralBox(chartWidth, chartHeight);
  const int bw = b.x1 - b.x0, bh = b.y1 - b.y0;
  // Binary frame counter along the top of the central region's lower half.
  const int cell = std::max(bw / 40, 1);
  const int cy = b.y0 + bh * 47 / 100;
  for (int bit = 0; bit < 16; ++bit) {
    const int cx = b.x1 - (bit + 2) * cell * 3 / 2;
    const Bgr c = ((frameNumber >> bit) & 1) != 0 ? Lit(240, 240, 240) : Lit(8, 8, 8);
    FillThrough(s, t, cx, cy, cx + cell, cy + cell, c, out);
  }
  // Small counters near the four corners of the sensor, so a view of any corner at full
  // scale still shows that the picture is live.
  constexpr int kCornerCell = 12, kCornerBits = 8, kCornerMargin = 40;
  const int counterWidth = kCornerBits * kCornerCell * 3 / 2;
  for (const int x0 : {kCornerMargin, chartWidth - kCornerMargin - counterWidth}) {
    for (const int y0 : {kCornerMargin, chartHeight - kCornerMargin - kCornerCell}) {
      for (int bit = 0; bit < kCornerBits; ++bit) {
        const int x = x0 + bit * kCornerCell * 3 / 2;
        const Bgr c = ((frameNumber >> bit) & 1) != 0 ? Lit(240, 240, 240) : Lit(8, 8, 8);
        FillThrough(s, t, x, y0, x + kCornerCell, y0 + kCornerCell, c, out);
      }
    }
  }
  const Ball ball = BallAt(chartWidth, chartHeight, frameNumber);
  for (int dy = -ball.r; dy <= ball.r; ++dy) {
    const int half = static_cast<int>(std::sqrt(static_cast<double>(ball.r * ball.r - dy * dy)));
    FillThrough(s, t, ball.x - half, ball.y + dy, ball.x + half + 1, ball.y + dy + 1, Lit(230, 120, 20), out);
  }
}

void RestoreMovingObjects(const ImageSettings& s, int chartWidth, int chartHeight, std::uint64_t frameNumber,
                          const std::uint8_t* developed, std::uint8_t* out) {
  // The counters paint every one of their cells on every frame; only the ball leaves a trace.
  const Ball ball = BallAt(chartWidth, chartHeight, frameNumber);
  const int x0 = std::max(ball.x - ball.r, s.x), x1 = std::min(ball.x + ball.r + 1, s.x + s.width);
  const int y0 = std::max(ball.y - ball.r, s.y), y1 = std::min(ball.y + ball.r + 1, s.y + s.height);
  if (x0 >= x1 || y0 >= y1) return;
  // Mirroring keeps a rectangle a rectangle: only its first output column moves.
  const int ox = s.flipHorizontal ? s.x + s.width - x1 : x0 - s.x;
  const std::size_t rowBytes = static_cast<std::size_t>(s.width) * 3;
  for (int y = y0; y < y1; ++y) {
    const int oy = s.flipVertical ? s.y + s.height - 1 - y : y - s.y;
    const std::size_t at = static_cast<std::size_t>(oy) * rowBytes + static_cast<std::size_t>(ox) * 3;
    std::memcpy(out + at, developed + at, static_cast<std::size_t>(x1 - x0) * 3);
  }
}

Picture MakeScene(Scene scene, double vignette, int width, int height) {
  Picture p;
  if (scene == Scene::Chart) {
    p = MakeTestChart(width, height);
  } else {
    p.width = width;
    p.height = height;
    p.pixels.resize(p.Stride() * static_cast<std::size_t>(height));
    // A bright field that the default settings show unclipped, in the same warm light.
    if (scene == Scene::Flat) {
      Canvas canvas(p);
      canvas.Fill(0, 0, width, height, Lit(176, 176, 176));
    }
  }
  if (vignette <= 0.0) return p;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = p.pixels.data() + static_cast<std::size_t>(y) * p.Stride();
    for (int x = 0; x < width; ++x) {
      const double light = VignetteAt(vignette, x, y, width, height);
      for (int c = 0; c < 3; ++c) row[3 * x + c] = ClampByte(row[3 * x + c] * light);
    }
  }
  return p;
}

double VignetteAt(double vignette, int x, int y, int width, int height) {
  // The optical centre sits right of and above the sensor's centre, as a lens that is a
  // little off its axis puts it.
  const double cx = 0.56 * width, cy = 0.45 * height;
  const double farthestSquared =
      std::max(cx, width - cx) * std::max(cx, width - cx) + std::max(cy, height - cy) * std::max(cy, height - cy);
  const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
  return 1.0 - std::clamp(vignette, 0.0, 1.0) * (dx * dx + dy * dy) / farthestSquared;
}

std::uint8_t DarkOffsetAt(int level, int sensorX, int sensorY, int channel) {
  // A hash of the position: the same value for the same photosite in every frame.
  std::uint32_t h = static_cast<std::uint32_t>(sensorX) * 0x9E3779B1u ^
                    static_cast<std::uint32_t>(sensorY) * 0x85EBCA77u ^
                    static_cast<std::uint32_t>(channel + 1) * 0xC2B2AE3Du;
  h ^= h >> 15, h *= 0x2C1B3C6Du, h ^= h >> 12, h *= 0x297A2D39u, h ^= h >> 15;
  if (h % 5000 == 0) return static_cast<std::uint8_t>(96 + (h >> 16) % 160);
  return static_cast<std::uint8_t>((h >> 8) % (2 * static_cast<std::uint32_t>(std::clamp(level, 0, 127)) + 1));
}

void AddDarkPattern(const ImageSettings& s, int level, std::uint8_t* out) {
  for (int oy = 0; oy < s.height; ++oy) {
    const int sy = s.flipVertical ? s.y + s.height - 1 - oy : s.y + oy;
    std::uint8_t* row = out + static_cast<std::size_t>(oy) * s.width * 3;
    for (int ox = 0; ox < s.width; ++ox) {
      const int sx = s.flipHorizontal ? s.x + s.width - 1 - ox : s.x + ox;
      for (int c = 0; c < 3; ++c) {
        // A mono picture has one photosite value per pixel.
        const int offset = row[3 * ox + c] + DarkOffsetAt(level, sx, sy, s.mono ? 0 : c);
        row[3 * ox + c] = static_cast<std::uint8_t>(std::min(offset, 255));
      }
    }
  }
}

namespace {

constexpr std::size_t kNoiseValues = std::size_t{1} << 20;

// Normally distributed values of standard deviation 1, made once per process.
const std::vector<float>& StandardNormals() {
  static const std::vector<float> values = [] {
    std::vector<float> v(kNoiseValues);
    std::mt19937 random(20261208);
    std::normal_distribution<float> normal(0.0f, 1.0f);
    for (float& x : v) x = normal(random);
    return v;
  }();
  return values;
}

// Adds signed noise with saturation: with the top bit flipped, a byte reads as its value less
// 128, so a signed saturating add clamps the sum to 0..255.
void AddSaturating(const std::uint8_t* clean, const std::int8_t* noise, std::uint8_t* out, std::size_t count) {
  const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i c = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(clean + i)), flip);
    const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(noise + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_xor_si128(_mm_adds_epi8(c, n), flip));
  }
  for (; i < count; ++i) out[i] = static_cast<std::uint8_t>(std::clamp(clean[i] + noise[i], 0, 255));
}

}  // namespace

NoiseTable::NoiseTable(double sigma) : sigma_(sigma), values_(kNoiseValues) {
  const std::vector<float>& normals = StandardNormals();
  for (std::size_t i = 0; i < kNoiseValues; ++i)
    values_[i] = static_cast<std::int8_t>(std::clamp(std::lround(normals[i] * sigma), -127L, 127L));
}

void NoiseTable::Add(const std::uint8_t* clean, std::uint8_t* out, std::size_t count, std::uint64_t frame) const {
  if (values_.empty()) {
    std::memmove(out, clean, count);
    return;
  }
  // A different start in every frame, so no pixel sees the same noise twice in a row.
  std::size_t at = static_cast<std::size_t>((frame * 0x9E3779B97F4A7C15ull) >> 40) % kNoiseValues;
  for (std::size_t done = 0; done < count;) {
    const std::size_t run = std::min(count - done, kNoiseValues - at);
    AddSaturating(clean + done, values_.data() + at, out + done, run);
    done += run;
    at = 0;
  }
}

double NoiseSigma(double sigmaAtZeroDb, double gainDb) { return sigmaAtZeroDb * std::pow(10.0, gainDb / 20.0); }

ChannelMeans MeasureMeans(const std::uint8_t* pixels, int width, int height, std::size_t stride, int step) {
  ChannelMeans m;
  if (width <= 0 || height <= 0 || step <= 0) return m;
  double b = 0, g = 0, r = 0;
  std::size_t n = 0;
  for (int y = step / 2; y < height; y += step) {
    const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
    for (int x = step / 2; x < width; x += step) {
      b += row[3 * x], g += row[3 * x + 1], r += row[3 * x + 2];
      ++n;
    }
  }
  if (n == 0) return m;
  m.blue = b / n, m.green = g / n, m.red = r / n;
  return m;
}

ColourGains NeutralisingGains(const ChannelMeans& raw, double minGain, double maxGain) {
  ColourGains g;
  const auto ratio = [&](double channel) {
    if (!(channel > 0.0)) return maxGain;
    return std::clamp(raw.green / channel, minGain, maxGain);
  };
  g.green = std::clamp(1.0, minGain, maxGain);
  g.red = ratio(raw.red);
  g.blue = ratio(raw.blue);
  return g;
}

ExposureState AutoControlStep(const ExposureState& now, double measuredGrey, const AutoControl& c) {
  static constexpr double kDamping[] = {0.3, 0.6, 1.0};
  const double damping = kDamping[std::clamp(c.speed, 0, 2)];
  const double ratio = std::pow(static_cast<double>(c.desiredGrey) / std::max(measuredGrey, 1.0), damping);
  const auto clampExpose = [&](double us) {
    return static_cast<int>(std::lround(std::clamp(us, static_cast<double>(c.exposeLowerUs),
                                                   static_cast<double>(std::max(c.exposeUpperUs, c.exposeLowerUs)))));
  };
  const auto clampGain = [&](double db) {
    return std::clamp(db, c.gainLowerDb, std::max(c.gainUpperDb, c.gainLowerDb));
  };
  ExposureState next = now;
  if (c.autoExpose && c.autoGain) {
    if (ratio >= 1.0) {
      next.exposeUs = clampExpose(now.exposeUs * ratio);
      const double rest = ratio * now.exposeUs / std::max(next.exposeUs, 1);
      next.gainDb = clampGain(now.gainDb + 20.0 * std::log10(rest));
    } else {
      next.gainDb = clampGain(now.gainDb + 20.0 * std::log10(ratio));
      const double rest = ratio / std::pow(10.0, (next.gainDb - now.gainDb) / 20.0);
      next.exposeUs = clampExpose(now.exposeUs * rest);
    }
  } else if (c.autoExpose) {
    next.exposeUs = clampExpose(now.exposeUs * ratio);
  } else if (c.autoGain) {
    next.gainDb = clampGain(now.gainDb + 20.0 * std::log10(ratio));
  }
  return next;
}

}  // namespace q7sim
