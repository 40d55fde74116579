#include "imaging/palette_quantizer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <utility>

namespace q7::imaging {
namespace {

// ---- Wu's quantizer: boxes of a colour histogram, each cut where it removes the most error.

constexpr int kLevels = 32;               // histogram cells per channel (top five bits)
constexpr int kSide = kLevels + 1;        // plus a zero plane, so cumulative sums need no edge cases
constexpr int kSampleAllBelow = 1 << 20;  // pixels; larger pictures are sampled on a 2 x 2 grid

struct Moment {
  std::int64_t weight = 0, r = 0, g = 0, b = 0;
  std::int64_t squares = 0;  // sum of r^2 + g^2 + b^2

  Moment& operator+=(const Moment& o) {
    weight += o.weight, r += o.r, g += o.g, b += o.b, squares += o.squares;
    return *this;
  }
  Moment& operator-=(const Moment& o) {
    weight -= o.weight, r -= o.r, g -= o.g, b -= o.b, squares -= o.squares;
    return *this;
  }
  // Sum of squared distances to the mean, the error one palette colour leaves here.
  double Error() const {
    return weight == 0 ? 0.0 : static_cast<double>(squares) - SquaredSum() / static_cast<double>(weight);
  }
  double SquaredSum() const {
    return static_cast<double>(r) * r + static_cast<double>(g) * g + static_cast<double>(b) * b;
  }
  PaletteColour Mean() const {
    auto mean = [this](std::int64_t sum) { return static_cast<std::uint8_t>((sum + weight / 2) / weight); };
    return {mean(r), mean(g), mean(b)};
  }
};

// Histogram cells (lo, hi] per channel, red, green, blue.
struct Box {
  std::array<int, 3> lo{0, 0, 0};
  std::array<int, 3> hi{kLevels, kLevels, kLevels};

  bool IsOneCell() const { return hi[0] - lo[0] == 1 && hi[1] - lo[1] == 1 && hi[2] - lo[2] == 1; }
};

class CumulativeMoments {
 public:
  explicit CumulativeMoments(const Image& image) : m_(static_cast<std::size_t>(kSide) * kSide * kSide) {
    const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
    const int step = pixels < kSampleAllBelow ? 1 : 2;
    for (int y = 0; y < image.height; y += step) {
      const std::uint8_t* p = image.Row(y);
      for (int x = 0; x < image.width; x += step, p += 3 * step) {
        const int b = p[0], g = p[1], r = p[2];
        Moment& cell = m_[At(1 + (r >> 3), 1 + (g >> 3), 1 + (b >> 3))];
        ++cell.weight, cell.r += r, cell.g += g, cell.b += b;
        cell.squares += r * r + g * g + b * b;
      }
    }
    // Running sums along blue, then green, then red: each cell then holds its whole lower box.
    for (int r = 1; r < kSide; ++r) {
      for (int g = 1; g < kSide; ++g) {
        for (int b = 1; b < kSide; ++b) m_[At(r, g, b)] += m_[At(r, g, b - 1)];
      }
    }
    for (int r = 1; r < kSide; ++r) {
      for (int g = 1; g < kSide; ++g) {
        for (int b = 1; b < kSide; ++b) m_[At(r, g, b)] += m_[At(r, g - 1, b)];
      }
    }
    for (int r = 1; r < kSide; ++r) {
      for (int g = 1; g < kSide; ++g) {
        for (int b = 1; b < kSide; ++b) m_[At(r, g, b)] += m_[At(r - 1, g, b)];
      }
    }
  }

  // The sum over a box, from its eight corners by inclusion and exclusion.
  Moment Of(const Box& box) const {
    Moment sum;
    for (int corner = 0; corner < 8; ++corner) {
      const int r = (corner & 4) ? box.lo[0] : box.hi[0];
      const int g = (corner & 2) ? box.lo[1] : box.hi[1];
      const int b = (corner & 1) ? box.lo[2] : box.hi[2];
      const bool odd = (((corner >> 2) ^ (corner >> 1) ^ corner) & 1) != 0;
      if (odd) {
        sum -= m_[At(r, g, b)];
      } else {
        sum += m_[At(r, g, b)];
      }
    }
    return sum;
  }

 private:
  static std::size_t At(int r, int g, int b) { return (static_cast<std::size_t>(r) * kSide + g) * kSide + b; }

  std::vector<Moment> m_;
};

// The cut of `box` across one channel that leaves the least error in its two halves; none
// when every position leaves one half empty.
std::optional<std::pair<Box, Box>> BestCut(const CumulativeMoments& moments, const Box& box) {
  const Moment whole = moments.Of(box);
  double best = 0;
  std::optional<std::pair<Box, Box>> cut;
  for (int channel = 0; channel < 3; ++channel) {
    for (int at = box.lo[channel] + 1; at < box.hi[channel]; ++at) {
      Box lower = box;
      lower.hi[channel] = at;
      const Moment a = moments.Of(lower);
      Moment b = whole;
      b -= a;
      if (a.weight == 0 || b.weight == 0) continue;
      // The error left is the fixed sum of squares minus this; so the larger the better.
      const double score =
          a.SquaredSum() / static_cast<double>(a.weight) + b.SquaredSum() / static_cast<double>(b.weight);
      if (!cut || score > best) {
        Box upper = box;
        upper.lo[channel] = at;
        best = score;
        cut.emplace(lower, upper);
      }
    }
  }
  return cut;
}

// ---- Mapping onto a palette.

// Nearest palette colour per cell of 4 x 4 x 4 colour values, found on first use: a camera
// frame touches only a small part of the 262,144 cells.
class NearestColour {
 public:
  explicit NearestColour(const Palette& palette) : table_(std::size_t{1} << 18, kUnknown) {
    for (const PaletteColour& c : palette) {  // doubled, so cell centres are whole numbers
      r_.push_back(2 * c.r), g_.push_back(2 * c.g), b_.push_back(2 * c.b);
    }
  }

  std::uint8_t operator()(int r, int g, int b) {
    std::uint16_t& entry = table_[(static_cast<std::size_t>(r >> 2) << 12) | ((g >> 2) << 6) | (b >> 2)];
    if (entry == kUnknown) entry = Search(Centre(r), Centre(g), Centre(b));
    return static_cast<std::uint8_t>(entry);
  }

 private:
  static constexpr std::uint16_t kUnknown = 0xFFFF;
  static int Centre(int v) { return (v & ~3) * 2 + 3; }

  std::uint16_t Search(int r, int g, int b) const {
    int best = INT_MAX;
    std::size_t found = 0;
    for (std::size_t i = 0; i < r_.size(); ++i) {
      const int dr = r_[i] - r, dg = g_[i] - g, db = b_[i] - b;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < best) best = distance, found = i;
    }
    return static_cast<std::uint16_t>(found);
  }

  std::vector<int> r_, g_, b_;
  std::vector<std::uint16_t> table_;
};

std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Floyd-Steinberg: each pixel's error goes 7/16 right, 3/16 below left, 5/16 below and 1/16
// below right, so areas keep their average colour.
void MapDithered(const Image& image, const Palette& palette, NearestColour& nearest, std::uint8_t* out) {
  // Errors in sixteenths, blue-green-red per pixel, with a spare pixel at either end.
  const std::size_t rowCells = (static_cast<std::size_t>(image.width) + 2) * 3;
  std::vector<int> here(rowCells), below(rowCells);
  for (int y = 0; y < image.height; ++y) {
    std::fill(below.begin(), below.end(), 0);
    const std::uint8_t* p = image.Row(y);
    for (int x = 0; x < image.width; ++x, p += 3) {
      int* e = here.data() + (x + 1) * 3;
      const int v[3] = {Clamp(p[0] + ((e[0] + 8) >> 4)), Clamp(p[1] + ((e[1] + 8) >> 4)),
                        Clamp(p[2] + ((e[2] + 8) >> 4))};
      const std::uint8_t index = nearest(v[2], v[1], v[0]);
      *out++ = index;
      const PaletteColour& q = palette[index];
      const int chosen[3] = {q.b, q.g, q.r};
      int* d = below.data() + x * 3;
      for (int c = 0; c < 3; ++c) {
        const int error = v[c] - chosen[c];
        e[3 + c] += 7 * error;
        d[c] += 3 * error;
        d[3 + c] += 5 * error;
        d[6 + c] += error;
      }
    }
    std::swap(here, below);
  }
}

// The picture's own colours, while there are no more than 256 of them.
std::optional<IndexedImage> ExactColours(const Image& image) {
  constexpr std::uint32_t kSlots = 1024;     // at most a quarter full
  std::array<std::uint32_t, kSlots> keys{};  // colour + 1; 0 is an empty slot
  std::array<std::uint8_t, kSlots> slotIndex{};
  IndexedImage result;
  result.indices.resize(static_cast<std::size_t>(image.width) * image.height);
  std::uint8_t* out = result.indices.data();
  std::uint32_t lastKey = 0;
  std::uint8_t lastIndex = 0;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* p = image.Row(y);
    for (int x = 0; x < image.width; ++x, p += 3) {
      const std::uint32_t key = ((std::uint32_t{p[2]} << 16) | (p[1] << 8) | p[0]) + 1;
      if (key != lastKey) {
        std::uint32_t slot = (key * 0x9E3779B1u) >> 22;
        while (keys[slot] != 0 && keys[slot] != key) slot = (slot + 1) % kSlots;
        if (keys[slot] == 0) {
          if (result.palette.size() == kMaxPaletteColours) return std::nullopt;
          keys[slot] = key;
          slotIndex[slot] = static_cast<std::uint8_t>(result.palette.size());
          result.palette.push_back({p[2], p[1], p[0]});
        }
        lastKey = key;
        lastIndex = slotIndex[slot];
      }
      *out++ = lastIndex;
    }
  }
  return result;
}

}  // namespace

Palette ChoosePalette(const Image& image) {
  const CumulativeMoments moments(image);
  // What a box would gain from a cut: its error, or 0 when it cannot be cut.
  auto gain = [&moments](const Box& box) { return box.IsOneCell() ? 0.0 : moments.Of(box).Error(); };
  std::vector<Box> boxes{Box{}};
  std::vector<double> errors{gain(boxes[0])};
  while (boxes.size() < kMaxPaletteColours) {
    const auto worst = std::max_element(errors.begin(), errors.end());
    if (*worst <= 0) break;
    const auto i = static_cast<std::size_t>(worst - errors.begin());
    const auto cut = BestCut(moments, boxes[i]);
    if (!cut) {
      errors[i] = 0;
      continue;
    }
    boxes[i] = cut->first;
    errors[i] = gain(boxes[i]);
    boxes.push_back(cut->second);
    errors.push_back(gain(boxes.back()));
  }
  Palette palette;
  for (const Box& box : boxes) {
    const Moment m = moments.Of(box);
    if (m.weight > 0) palette.push_back(m.Mean());
  }
  return palette;
}

std::vector<std::uint8_t> MapToPalette(const Image& image, const Palette& palette, bool dither) {
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(image.width) * image.height);
  NearestColour nearest(palette);
  if (dither) {
    MapDithered(image, palette, nearest, indices.data());
    return indices;
  }
  std::uint8_t* out = indices.data();
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* p = image.Row(y);
    for (int x = 0; x < image.width; ++x, p += 3) *out++ = nearest(p[2], p[1], p[0]);
  }
  return indices;
}

IndexedImage Quantize(const Image& image, bool dither) {
  if (auto exact = ExactColours(image)) return std::move(*exact);
  IndexedImage result;
  result.palette = ChoosePalette(image);
  result.indices = MapToPalette(image, result.palette, dither);
  return result;
}

}  // namespace q7::imaging
