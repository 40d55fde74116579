#include "imaging/ico_encoder.h"

#include <algorithm>

#include "imaging/byte_writer.h"

namespace q7::imaging {

Size IcoEntrySize(int width, int height) {
  if (width <= kIcoMaxSide && height <= kIcoMaxSide) return {width, height};
  const std::int64_t longer = std::max(width, height);
  auto scaled = [&](int side) {
    return static_cast<int>(std::max<std::int64_t>(1, (std::int64_t{side} * kIcoMaxSide + longer / 2) / longer));
  };
  return {scaled(width), scaled(height)};
}

namespace {

// How much of each source sample falls into each target sample along one axis, in units of
// 1/target of a source sample: target t covers [t * source, (t + 1) * source).
struct Coverage {
  int first;                           // first source sample touched
  std::vector<std::uint32_t> weights;  // one per source sample from `first`; they sum to `source`
};

std::vector<Coverage> AxisCoverage(int source, int target) {
  std::vector<Coverage> result(target);
  for (int t = 0; t < target; ++t) {
    const std::int64_t begin = std::int64_t{t} * source, end = begin + source;
    Coverage& c = result[t];
    c.first = static_cast<int>(begin / target);
    for (std::int64_t s = c.first; s * target < end; ++s) {
      const std::int64_t overlap = std::min(end, (s + 1) * target) - std::max(begin, s * target);
      c.weights.push_back(static_cast<std::uint32_t>(overlap));
    }
  }
  return result;
}

}  // namespace

Image ShrinkToSize(const Image& image, int width, int height) {
  // Separable area average: rows first into sums scaled by image.width, then columns.
  const std::vector<Coverage> across = AxisCoverage(image.width, width);
  const std::vector<Coverage> down = AxisCoverage(image.height, height);
  std::vector<std::uint32_t> rows(static_cast<std::size_t>(width) * 3 * image.height);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* source = image.Row(y);
    std::uint32_t* target = rows.data() + static_cast<std::size_t>(y) * width * 3;
    for (int tx = 0; tx < width; ++tx) {
      const Coverage& c = across[tx];
      std::uint32_t sum[3] = {0, 0, 0};
      for (std::size_t k = 0; k < c.weights.size(); ++k) {
        const std::uint8_t* p = source + (c.first + k) * 3;
        for (int ch = 0; ch < 3; ++ch) sum[ch] += c.weights[k] * p[ch];
      }
      for (int ch = 0; ch < 3; ++ch) target[tx * 3 + ch] = sum[ch];
    }
  }
  Image out(width, height);
  const std::uint64_t total = static_cast<std::uint64_t>(image.width) * image.height;
  for (int ty = 0; ty < height; ++ty) {
    const Coverage& c = down[ty];
    std::uint8_t* target = out.Row(ty);
    for (int i = 0; i < width * 3; ++i) {
      std::uint64_t sum = 0;
      for (std::size_t k = 0; k < c.weights.size(); ++k) {
        sum += std::uint64_t{c.weights[k]} * rows[(c.first + k) * width * 3 + i];
      }
      target[i] = static_cast<std::uint8_t>((sum + total / 2) / total);
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeIco(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid()) return out;
  const Size size = IcoEntrySize(image.width, image.height);
  const Image shrunk =
      size.width == image.width && size.height == image.height ? Image{} : ShrinkToSize(image, size.width, size.height);
  const Image& entry = shrunk.IsValid() ? shrunk : image;

  const std::size_t xorStride = (entry.RowBytes() + 3) & ~std::size_t{3};
  const std::size_t andStride = ((static_cast<std::size_t>(entry.width) + 31) / 32) * 4;
  const std::size_t imageBytes = 40 + (xorStride + andStride) * entry.height;
  constexpr std::uint32_t kDirectoryBytes = 6 + 16;

  ByteWriter w(out);
  w.Le16(0);
  w.Le16(1);                                           // icon, not cursor
  w.Le16(1);                                           // one entry
  w.U8(entry.width == kIcoMaxSide ? 0 : entry.width);  // 0 means 256
  w.U8(entry.height == kIcoMaxSide ? 0 : entry.height);
  w.U8(0);  // no palette
  w.U8(0);
  w.Le16(1);  // planes
  w.Le16(24);
  w.Le32(static_cast<std::uint32_t>(imageBytes));
  w.Le32(kDirectoryBytes);

  w.Le32(40);
  w.Le32(entry.width);
  w.Le32(entry.height * 2);  // XOR bitmap and AND mask stacked
  w.Le16(1);
  w.Le16(24);
  w.Le32(0);
  w.Le32(static_cast<std::uint32_t>(imageBytes - 40));
  w.Zeros(16);
  for (int y = entry.height - 1; y >= 0; --y) {
    w.Bytes(entry.Row(y), entry.RowBytes());
    w.Zeros(xorStride - entry.RowBytes());
  }
  w.Zeros(andStride * entry.height);  // mask bit 0: opaque
  return out;
}

}  // namespace q7::imaging
