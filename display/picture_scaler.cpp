#include "display/picture_scaler.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace display {
namespace {

// The area average runs in two passes per view row: the picture rows under it are summed
// into one line of 16-bit sums in 1/128 of a level (vertical), then the taps of each view
// column are summed from that line into 32 bits (horizontal). Vertical weights are in
// 1/32768 and horizontal ones in 1/16384, so the final sum is in 1/2^21 of a level and
// every intermediate fits its lanes: a line value is at most 255 * 128 plus the rounding
// bias, below 32768 as the signed multiply-add of the horizontal pass needs.
constexpr int kLineShift = 7;
constexpr int kResultShift = kLineShift + 14;
static_assert(kRowOne == 1 << 15 && kColumnOne == 1 << 14, "the shifts above assume these weights");

struct Broadcast {  // a weight in all eight 16-bit lanes
  __m128i lanes;
};

void StorePixel(std::uint8_t* at, std::uint32_t bgrx) { std::memcpy(at, &bgrx, sizeof bgrx); }

void FillBlack(std::uint8_t* row, int fromPixel, int toPixel) {
  if (toPixel > fromPixel) std::memset(row + 4 * fromPixel, 0, 4 * static_cast<std::size_t>(toPixel - fromPixel));
}

class AreaAverager {
 public:
  AreaAverager(const ScalePlan& plan, const std::uint8_t* src, std::size_t srcStride)
      : columns_(plan.columns),
        rows_(plan.rows),
        src_(src + 3 * static_cast<std::size_t>(plan.columns.pictureBegin)),
        srcStride_(srcStride),
        lineBytes_(3 * static_cast<std::size_t>(plan.columns.pictureEnd - plan.columns.pictureBegin)),
        // The horizontal pass reads whole taps past the last picture column (their weight is
        // 0) and one value more: zeros there.
        line_(lineBytes_ + 3 * static_cast<std::size_t>(plan.columns.taps) + 8, 0),
        rowWeights_(static_cast<std::size_t>(plan.rows.taps)),
        rowWeightValues_(static_cast<std::size_t>(plan.rows.taps)),
        rowPointers_(static_cast<std::size_t>(plan.rows.taps)) {
    // Where each view column's taps start in the line, and, for two taps, their weights
    // ready in every lane: the horizontal pass then spends nothing per column on either.
    const int count = plan.columns.end - plan.columns.begin;
    columnLines_.resize(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
      columnLines_[i] = 3 * static_cast<std::uint32_t>(columns_.first[i] - columns_.pictureBegin);
    if (columns_.taps == 2) {
      pairWeights_.resize(columnLines_.size());
      for (int i = 0; i < count; ++i) {
        std::int32_t pair;
        std::memcpy(&pair, columns_.weights.data() + 2 * static_cast<std::size_t>(i), sizeof pair);
        pairWeights_[i].lanes = _mm_set1_epi32(pair);
      }
    }
  }

  // View row rows_.begin + i, columns [columns_.begin, columns_.end).
  void Row(int i, std::uint8_t* out) {
    SumRows(i);
    SumColumns(out);
  }

 private:
  void SumRows(int i) {
    int count = 0;
    for (int t = 0; t < rows_.taps; ++t) {
      const std::uint16_t w = rows_.weights[static_cast<std::size_t>(i) * rows_.taps + t];
      if (w == 0) continue;  // outside the picture or the view row
      rowWeights_[count].lanes = _mm_set1_epi16(static_cast<short>(w));
      rowWeightValues_[count] = w;
      rowPointers_[count] = src_ + static_cast<std::size_t>(rows_.first[i] + t) * srcStride_;
      ++count;
    }
    // The usual counts get a loop of their own, with the weights held in registers.
    switch (count) {
      case 1: return SumRowsOf<1>(count);
      case 2: return SumRowsOf<2>(count);
      case 3: return SumRowsOf<3>(count);
      case 4: return SumRowsOf<4>(count);
      case 5: return SumRowsOf<5>(count);
      case 6: return SumRowsOf<6>(count);
      case 10: return SumRowsOf<10>(count);
      case 11: return SumRowsOf<11>(count);
      default: return SumRowsOf<0>(count);
    }
  }

  // kCount rows, or `count` when 0.
  template <int kCount>
  void SumRowsOf(int count) {
    const int n = kCount ? kCount : count;
    // Each product is truncated; starting from half a unit per tap centres the sum. The
    // products add up to at most 255 * 128, so a bias up to 127 keeps the sum below 32768.
    const std::uint16_t bias = static_cast<std::uint16_t>(std::min(n / 2, 127));
    const __m128i zero = _mm_setzero_si128();
    const __m128i start = _mm_set1_epi16(static_cast<short>(bias));
    std::uint16_t* line = line_.data();
    std::size_t j = 0;
    for (; j + 16 <= lineBytes_; j += 16) {
      __m128i lo = start;
      __m128i hi = start;
      for (int t = 0; t < n; ++t) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rowPointers_[t] + j));
        // (p << 8) * w >> 16 = p * w / 256: the level in 1/128 for w in 1/32768.
        lo = _mm_add_epi16(lo, _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, p), rowWeights_[t].lanes));
        hi = _mm_add_epi16(hi, _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, p), rowWeights_[t].lanes));
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(line + j), lo);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(line + j + 8), hi);
    }
    for (; j < lineBytes_; ++j) {
      unsigned sum = bias;
      for (int t = 0; t < n; ++t) {
        sum += (static_cast<unsigned>(rowPointers_[t][j]) << 8) * rowWeightValues_[t] >> 16;
      }
      line[j] = static_cast<std::uint16_t>(sum);
    }
  }

  void SumColumns(std::uint8_t* out) const {
    switch (columns_.taps) {
      case 2: return SumColumnsOf<1>(out);
      case 4: return SumColumnsOf<2>(out);
      case 6: return SumColumnsOf<3>(out);
      case 8: return SumColumnsOf<4>(out);
      case 10: return SumColumnsOf<5>(out);
      case 12: return SumColumnsOf<6>(out);
      default: return SumColumnsOf<0>(out);
    }
  }

  // kPairs tap pairs per view column, or columns_.taps / 2 when 0.
  template <int kPairs>
  void SumColumnsOf(std::uint8_t* out) const {
    const int count = columns_.end - columns_.begin;
    std::uint8_t* at = out + 4 * static_cast<std::size_t>(columns_.begin);
    const __m128i noX = _mm_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 2 <= count; i += 2, at += 8) {
      const __m128i two = _mm_packs_epi32(ColumnSum<kPairs>(i), ColumnSum<kPairs>(i + 1));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_and_si128(_mm_packus_epi16(two, two), noX));
    }
    if (i < count) {
      const __m128i one = _mm_packs_epi32(ColumnSum<kPairs>(i), _mm_setzero_si128());
      StorePixel(at, static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(one, one))) & 0x00FFFFFFu);
    }
  }

  // View column columns_.begin + i as four 32-bit lanes B G R (and one of no use), in levels.
  template <int kPairs>
  __m128i ColumnSum(int i) const {
    const std::uint16_t* s = line_.data() + columnLines_[i];
    const __m128i half = _mm_set1_epi32(1 << (kResultShift - 1));
    if constexpr (kPairs == 1) {
      // Two taps: B0 B1 G0 G1 R0 R1 (and two lanes of no use) against w0 w1.
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 3));
      const __m128i sum = _mm_madd_epi16(_mm_unpacklo_epi16(a, b), pairWeights_[i].lanes);
      return _mm_srai_epi32(_mm_add_epi32(sum, half), kResultShift);
    }
    const int pairs = kPairs ? kPairs : columns_.taps / 2;
    const std::uint16_t* w = columns_.weights.data() + static_cast<std::size_t>(i) * columns_.taps;
    __m128i sum = half;
    for (int p = 0; p < pairs; ++p, s += 6, w += 2) {
      // Two taps at once: B0 B1 G0 G1 R0 R1 (and two lanes of no use) against w0 w1.
      const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
      const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 3));
      std::int32_t pair;
      std::memcpy(&pair, w, sizeof pair);
      sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), _mm_set1_epi32(pair)));
    }
    return _mm_srai_epi32(sum, kResultShift);
  }

  const AxisPlan& columns_;
  const AxisPlan& rows_;
  const std::uint8_t* src_;  // the first picture column read, in row 0
  std::size_t srcStride_;
  std::size_t lineBytes_;              // picture bytes per row read, one line value each
  std::vector<std::uint16_t> line_;    // the vertical sums of the current view row
  std::vector<Broadcast> rowWeights_;  // the non-zero weights of the current view row
  std::vector<std::uint16_t> rowWeightValues_;
  std::vector<const std::uint8_t*> rowPointers_;
  std::vector<std::uint32_t> columnLines_;  // per view column: its first tap's line value
  std::vector<Broadcast> pairWeights_;      // per view column, with two taps: w0 w1 in every pair of lanes
};

void SampleRow(const std::uint8_t* srcRow, const AxisPlan& columns, int imageWidth, std::uint8_t* out) {
  const int count = columns.end - columns.begin;
  std::uint8_t* at = out + 4 * static_cast<std::size_t>(columns.begin);
  for (int i = 0; i < count; ++i, at += 4) {
    const int x = columns.first[i];
    const std::uint8_t* p = srcRow + 3 * static_cast<std::size_t>(x);
    std::uint32_t bgr;
    if (x + 1 < imageWidth) {
      std::memcpy(&bgr, p, sizeof bgr);  // one byte of the next pixel comes along
      bgr &= 0x00FFFFFFu;
    } else {  // the last pixel of the last row may end the buffer
      bgr = p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    }
    StorePixel(at, bgr);
  }
}

}  // namespace

void ScaleRows(const ScalePlan& plan, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
               std::size_t dstStride, int firstRow, int endRow) {
  const int viewWidth = plan.inputs.viewWidth;
  firstRow = std::max(firstRow, 0);
  endRow = std::min(endRow, plan.inputs.viewHeight);
  if (viewWidth <= 0 || firstRow >= endRow) return;

  const AxisPlan& rows = plan.rows;
  const AxisPlan& columns = plan.columns;
  const bool area = plan.filter == ScaleFilter::kAreaAverage && rows.begin < rows.end;
  std::optional<AreaAverager> averager;  // built only when a row needs it
  const std::uint8_t* previousOut = nullptr;
  int previousSourceRow = -1;
  for (int y = firstRow; y < endRow; ++y) {
    std::uint8_t* out = dst + static_cast<std::size_t>(y) * dstStride;
    if (y < rows.begin || y >= rows.end) {
      FillBlack(out, 0, viewWidth);
      continue;
    }
    FillBlack(out, 0, columns.begin);
    FillBlack(out, columns.end, viewWidth);
    const int i = y - rows.begin;
    if (area) {
      if (!averager) averager.emplace(plan, src, srcStride);
      averager->Row(i, out);
    } else if (previousOut && rows.first[i] == previousSourceRow) {
      // Magnified: the view row above showed the same picture row.
      const std::size_t offset = 4 * static_cast<std::size_t>(columns.begin);
      std::memcpy(out + offset, previousOut + offset, 4 * static_cast<std::size_t>(columns.end - columns.begin));
    } else {
      SampleRow(src + static_cast<std::size_t>(rows.first[i]) * srcStride, columns, plan.inputs.imageWidth, out);
      previousOut = out;
      previousSourceRow = rows.first[i];
    }
  }
}

}  // namespace display
