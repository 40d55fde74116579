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

Image ShrinkToSize(const Image& image, int width, int height) {
  Image out(width, height);
  for (int ty = 0; ty < height; ++ty) {
    const int y0 = static_cast<int>(std::int64_t{ty} * image.height / height);
    const int y1 = std::max(y0 + 1, static_cast<int>(std::int64_t{ty + 1} * image.height / height));
    for (int tx = 0; tx < width; ++tx) {
      const int x0 = static_cast<int>(std::int64_t{tx} * image.width / width);
      const int x1 = std::max(x0 + 1, static_cast<int>(std::int64_t{tx + 1} * image.width / width));
      std::uint64_t sum[3] = {0, 0, 0};
      for (int y = y0; y < y1; ++y) {
        const std::uint8_t* p = image.Row(y) + x0 * 3;
        for (int x = x0; x < x1; ++x, p += 3) {
          sum[0] += p[0];
          sum[1] += p[1];
          sum[2] += p[2];
        }
      }
      const std::uint64_t count = static_cast<std::uint64_t>(y1 - y0) * (x1 - x0);
      std::uint8_t* q = out.Row(ty) + tx * 3;
      for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeIco(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid()) return out;
  const Size size = IcoEntrySize(image.width, image.height);
  const Image shrunk = size.width == image.width && size.height == image.height
                           ? Image{}
                           : ShrinkToSize(image, size.width, size.height);
  const Image& entry = shrunk.IsValid() ? shrunk : image;

  const std::size_t xorStride = (entry.RowBytes() + 3) & ~std::size_t{3};
  const std::size_t andStride = ((static_cast<std::size_t>(entry.width) + 31) / 32) * 4;
  const std::size_t imageBytes = 40 + (xorStride + andStride) * entry.height;
  constexpr std::uint32_t kDirectoryBytes = 6 + 16;

  ByteWriter w(out);
  w.Le16(0);
  w.Le16(1);  // icon, not cursor
  w.Le16(1);  // one entry
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
