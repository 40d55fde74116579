#include "imaging/bmp_file.h"

#include <cstring>

#include "imaging/byte_writer.h"

namespace q7::imaging {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
// Far above a 5-megapixel frame, low enough that width * height * 3 cannot overflow.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::size_t PaddedRow(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

}  // namespace

std::optional<Image> ParseBmp(std::span<const std::uint8_t> file) {
  if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') {
    return std::nullopt;
  }
  const std::uint8_t* info = file.data() + kFileHeaderSize;
  const std::uint32_t offBits = Le32(file.data() + 10);
  const std::uint32_t headerSize = Le32(info);
  const auto width = static_cast<std::int32_t>(Le32(info + 4));
  const auto rawHeight = static_cast<std::int32_t>(Le32(info + 8));
  const std::uint16_t planes = Le16(info + 12);
  const std::uint16_t bitCount = Le16(info + 14);
  const std::uint32_t compression = Le32(info + 16);
  if (headerSize < kInfoHeaderSize || planes != 1 || bitCount != 24 || compression != 0 /*BI_RGB*/) {
    return std::nullopt;
  }
  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN) return std::nullopt;
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;
  if (static_cast<std::int64_t>(width) * height > kMaxPixels) return std::nullopt;

  const std::size_t stride = PaddedRow(width);
  if (offBits < kFileHeaderSize + headerSize || offBits > file.size() ||
      (file.size() - offBits) / stride < static_cast<std::size_t>(height)) {
    return std::nullopt;
  }
  Image image(width, height);
  const std::uint8_t* pixels = file.data() + offBits;
  for (int y = 0; y < height; ++y) {
    const int sourceRow = topDown ? y : height - 1 - y;
    std::memcpy(image.Row(y), pixels + stride * sourceRow, image.RowBytes());
  }
  return image;
}

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid()) return out;
  const std::size_t stride = PaddedRow(image.width);
  const std::size_t pixelBytes = stride * image.height;
  out.reserve(kFileHeaderSize + kInfoHeaderSize + pixelBytes);
  ByteWriter w(out);
  w.Text("BM");
  w.Le32(static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + pixelBytes));
  w.Le32(0);
  w.Le32(kFileHeaderSize + kInfoHeaderSize);
  w.Le32(kInfoHeaderSize);
  w.Le32(image.width);
  w.Le32(image.height);  // positive: bottom-up
  w.Le16(1);
  w.Le16(24);
  w.Le32(0);
  w.Le32(static_cast<std::uint32_t>(pixelBytes));
  w.Zeros(16);  // resolution and palette fields
  const std::size_t padding = stride - image.RowBytes();
  for (int y = image.height - 1; y >= 0; --y) {
    w.Bytes(image.Row(y), image.RowBytes());
    w.Zeros(padding);
  }
  return out;
}

}  // namespace q7::imaging
