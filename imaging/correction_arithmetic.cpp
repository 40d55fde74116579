#include "imaging/correction_arithmetic.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace q7::imaging {
namespace {

__m128i Load(const void* at) { return _mm_loadu_si128(static_cast<const __m128i*>(at)); }
void Store(void* at, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(at), v); }

// The low and high eight of 16 bytes, widened to 16 bits in 1/256 grey level (v << 8).
__m128i Low256ths(__m128i bytes) { return _mm_unpacklo_epi8(_mm_setzero_si128(), bytes); }
__m128i High256ths(__m128i bytes) { return _mm_unpackhi_epi8(_mm_setzero_si128(), bytes); }

// One step of the running mean on eight values in 1/256, as CorrectValue: two unsigned high
// products, no difference that could overflow a lane.
__m128i StepMean(__m128i mean, __m128i y, __m128i keep, __m128i weight) {
  const __m128i sum = _mm_add_epi16(_mm_mulhi_epu16(mean, keep), _mm_mulhi_epu16(y, weight));
  return _mm_add_epi16(sum, _mm_set1_epi16(1));
}

// A value in 1/256 (at most 65281) times the gain (1/4096): the product's high half is the
// value in 1/16, then rounded to whole levels; at most 4079, which the final pack clamps to 255.
__m128i TimesGain(__m128i y, __m128i gain) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_mulhi_epu16(y, gain), _mm_set1_epi16(8)), 4);
}

// Values in 1/256 rounded to whole levels; 65281 still gives 255.
__m128i Rounded(__m128i y) { return _mm_srli_epi16(_mm_adds_epu16(y, _mm_set1_epi16(128)), kValueShift); }

template <bool kMean, bool kDark, bool kGain>
void CorrectSpan(std::uint8_t* values, std::size_t count, const Stages& s, std::size_t first) {
  const __m128i weight = _mm_set1_epi16(static_cast<short>(s.meanWeight));
  const __m128i keep = _mm_set1_epi16(static_cast<short>(65536 - s.meanWeight));
  const CorrectionPlanes* planes = s.planes;
  const auto one = [&](std::size_t i) {
    const std::size_t at = first + i;
    std::uint16_t gain = 0;
    if constexpr (kGain) std::memcpy(&gain, planes->blocks.data() + planes->GainAt(at), sizeof gain);
    values[i] = CorrectValue(values[i], kMean ? s.mean + at : nullptr, s.meanWeight,
                             kDark ? planes->blocks.data() + planes->DarkAt(at) : nullptr, kGain ? &gain : nullptr);
  };
  // One value at a time up to the planes' first whole block.
  std::size_t i = 0;
  for (; i < count && (first + i) % 16 != 0; ++i) one(i);
  const std::size_t blockBytes = planes ? planes->BlockBytes() : 0;
  const std::uint8_t* block = planes ? planes->blocks.data() + (first + i) / 16 * blockBytes : nullptr;
  for (; i + 16 <= count; i += 16, block += blockBytes) {
    __m128i raw = Load(values + i);
    const std::uint8_t* dark = block + (kGain ? 32 : 0);
    // Without a mean, the dark frame is a saturating byte subtraction.
    if constexpr (kDark && !kMean) raw = _mm_subs_epu8(raw, Load(dark));
    if constexpr (!kMean && !kGain) {
      Store(values + i, raw);
      continue;
    }
    __m128i lo = Low256ths(raw), hi = High256ths(raw);
    if constexpr (kMean) {
      std::uint16_t* mean = s.mean + first + i;
      if (s.meanWeight != 0) {
        lo = StepMean(Load(mean), lo, keep, weight);
        hi = StepMean(Load(mean + 8), hi, keep, weight);
      }
      Store(mean, lo);
      Store(mean + 8, hi);
      if constexpr (kDark) {
        const __m128i d = Load(dark);
        lo = _mm_subs_epu16(lo, Low256ths(d));
        hi = _mm_subs_epu16(hi, High256ths(d));
      }
    }
    if constexpr (kGain) {
      lo = TimesGain(lo, Load(block));
      hi = TimesGain(hi, Load(block + 16));
    } else {
      lo = Rounded(lo), hi = Rounded(hi);
    }
    Store(values + i, _mm_packus_epi16(lo, hi));
  }
  for (; i < count; ++i) one(i);
}

}  // namespace

CorrectionPlanes LayOutPlanes(const std::uint8_t* dark, const std::uint16_t* gains, std::size_t count) {
  CorrectionPlanes p;
  p.hasDark = dark != nullptr;
  p.hasGain = gains != nullptr;
  // Whole blocks: the last one's values past `count` are never read.
  p.blocks.assign((count + 15) / 16 * p.BlockBytes(), 0);
  for (std::size_t i = 0; i < count; ++i) {
    if (gains) std::memcpy(p.blocks.data() + p.GainAt(i), &gains[i], sizeof gains[i]);
    if (dark) p.blocks[p.DarkAt(i)] = dark[i];
  }
  return p;
}

void CorrectValues(std::uint8_t* values, std::size_t count, const Stages& s, std::size_t first) {
  // One loop per combination, so no stage costs a test per value.
  const bool dark = s.planes && s.planes->hasDark, gain = s.planes && s.planes->hasGain;
  const int which = (s.mean ? 4 : 0) | (dark ? 2 : 0) | (gain ? 1 : 0);
  switch (which) {
    case 1: return CorrectSpan<false, false, true>(values, count, s, first);
    case 2: return CorrectSpan<false, true, false>(values, count, s, first);
    case 3: return CorrectSpan<false, true, true>(values, count, s, first);
    case 4: return CorrectSpan<true, false, false>(values, count, s, first);
    case 5: return CorrectSpan<true, false, true>(values, count, s, first);
    case 6: return CorrectSpan<true, true, false>(values, count, s, first);
    case 7: return CorrectSpan<true, true, true>(values, count, s, first);
    default: return;  // nothing to do
  }
}

std::uint16_t MeanWeight(int frame, int length) {
  if (frame <= 1) return 0;
  const double weight = std::max(1.0 / frame, 2.0 / (std::max(length, 1) + 1.0));
  return static_cast<std::uint16_t>(std::min(static_cast<long>(weight * 65536.0 + 0.5), 32768L));
}

void AddToSum(const std::uint8_t* values, std::uint16_t* sum, std::size_t count) {
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i v = Load(values + i);
    Store(sum + i, _mm_add_epi16(Load(sum + i), _mm_unpacklo_epi8(v, zero)));
    Store(sum + i + 8, _mm_add_epi16(Load(sum + i + 8), _mm_unpackhi_epi8(v, zero)));
  }
  for (; i < count; ++i) sum[i] = static_cast<std::uint16_t>(sum[i] + values[i]);
}

void AverageOfSum(const std::uint16_t* sum, int frames, std::uint8_t* out, std::size_t count) {
  const unsigned n = static_cast<unsigned>(std::max(frames, 1));
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(std::min((sum[i] + n / 2) / n, 255u));
}

void ComputeFlatGains(const std::uint16_t* flatSum, int frames, const std::uint8_t* dark, std::size_t pixels,
                      std::uint16_t* gains) {
  const std::size_t count = pixels * 3;
  const unsigned n = static_cast<unsigned>(std::max(frames, 1));
  // The field less the dark frame, in 1/frames grey level, and each channel's total.
  std::vector<std::uint32_t> field(count);
  std::uint64_t totals[3] = {0, 0, 0};
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t black = dark ? dark[i] * n : 0;
    field[i] = flatSum[i] > black ? flatSum[i] - black : 0;
    totals[i % 3] += field[i];
  }
  for (std::size_t i = 0; i < count; ++i) {
    // gain = 4096 * (total / pixels) / field, rounded; a value with no light gets the most.
    const std::uint64_t below = static_cast<std::uint64_t>(field[i]) * pixels;
    const std::uint64_t gain = below == 0 ? kGainMax : ((totals[i % 3] << kGainShift) + below / 2) / below;
    gains[i] = static_cast<std::uint16_t>(std::min<std::uint64_t>(gain, kGainMax));
  }
}

namespace {

template <typename Value>
void MirrorValues(Value* values, int width, int height, Mirroring m) {
  if (!values || width <= 0 || height <= 0) return;
  const std::size_t rowValues = 3 * static_cast<std::size_t>(width);
  if (m.vertical) {
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
      std::swap_ranges(values + top * rowValues, values + (top + 1) * rowValues, values + bottom * rowValues);
  }
  if (m.horizontal) {
    for (int y = 0; y < height; ++y) {
      Value* row = values + y * rowValues;
      for (int left = 0, right = width - 1; left < right; ++left, --right)
        std::swap_ranges(row + 3 * left, row + 3 * left + 3, row + 3 * right);
    }
  }
}

}  // namespace

void MirrorPicture(std::uint8_t* values, int width, int height, Mirroring mirroring) {
  MirrorValues(values, width, height, mirroring);
}
void MirrorPicture(std::uint16_t* values, int width, int height, Mirroring mirroring) {
  MirrorValues(values, width, height, mirroring);
}

}  // namespace q7::imaging
