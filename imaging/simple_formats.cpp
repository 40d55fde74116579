#include "imaging/simple_formats.h"

#include <string>

#include "imaging/byte_writer.h"

namespace q7::imaging {
namespace {

constexpr int kMax16Bit = 0xFFFF;

// WBMP's multi-byte integer: 7 bits per byte, most significant group first, high bit = more.
void PutUintVar(ByteWriter& w, std::uint32_t v) {
  std::uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v != 0);
  while (n-- > 0) w.U8(groups[n] | (n > 0 ? 0x80 : 0));
}

// PCX RLE: a count byte 0xC0 | n (n <= 63) precedes a repeated value; a single value below
// 0xC0 stands for itself, larger single values need a count of one.
void PutPcxRun(std::vector<std::uint8_t>& out, const std::uint8_t* line, int length) {
  int i = 0;
  while (i < length) {
    const std::uint8_t value = line[i];
    int run = 1;
    while (i + run < length && run < 63 && line[i + run] == value) ++run;
    if (run > 1 || value >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | run));
    out.push_back(value);
    i += run;
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeTga(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid() || image.width > kMax16Bit || image.height > kMax16Bit) return out;
  out.reserve(18 + image.bgr.size() + 26);
  ByteWriter w(out);
  w.U8(0);     // no image id
  w.U8(0);     // no colour map
  w.U8(2);     // uncompressed true colour
  w.Zeros(5);  // no colour map: its five fields are zero
  w.Le16(0);
  w.Le16(0);  // origin
  w.Le16(image.width);
  w.Le16(image.height);
  w.U8(24);
  w.U8(0);  // descriptor: no alpha bits, rows bottom first
  for (int y = image.height - 1; y >= 0; --y) w.Bytes(image.Row(y), image.RowBytes());
  w.Le32(0);  // extension area offset
  w.Le32(0);  // developer directory offset
  w.Text("TRUEVISION-XFILE.");
  w.U8(0);
  return out;
}

std::vector<std::uint8_t> EncodePcx(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid() || image.width > kMax16Bit || image.height > kMax16Bit) return out;
  const int bytesPerLine = (image.width + 1) & ~1;  // must be even
  ByteWriter w(out);
  w.U8(0x0A);  // ZSoft
  w.U8(5);     // version 3.0 and later, true colour allowed
  w.U8(1);     // RLE
  w.U8(8);     // bits per pixel per plane
  w.Le16(0);
  w.Le16(0);
  w.Le16(image.width - 1);
  w.Le16(image.height - 1);
  w.Le16(96);
  w.Le16(96);
  w.Zeros(48);  // EGA palette, unused with 3 planes
  w.U8(0);
  w.U8(3);  // planes: red, green, blue
  w.Le16(bytesPerLine);
  w.Le16(1);  // colour
  w.Le16(0);
  w.Le16(0);
  w.Zeros(54);
  std::vector<std::uint8_t> plane(bytesPerLine, 0);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.Row(y);
    for (int channel = 2; channel >= 0; --channel) {  // BGR source, RGB planes
      for (int x = 0; x < image.width; ++x) plane[x] = row[x * 3 + channel];
      PutPcxRun(out, plane.data(), bytesPerLine);
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeWbmp(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid()) return out;
  ByteWriter w(out);
  w.U8(0);  // type 0: black and white, no compression
  w.U8(0);  // fixed header
  PutUintVar(w, image.width);
  PutUintVar(w, image.height);
  const std::size_t rowBytes = (static_cast<std::size_t>(image.width) + 7) / 8;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.Row(y);
    const std::size_t start = out.size();
    out.resize(start + rowBytes, 0);
    for (int x = 0; x < image.width; ++x) {
      if (Luminance(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]) >= 128) {
        out[start + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodePnm(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid()) return out;
  ByteWriter w(out);
  w.Text("P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n");
  out.reserve(out.size() + image.bgr.size());
  for (std::size_t i = 0; i < image.bgr.size(); i += 3) {
    w.U8(image.bgr[i + 2]);
    w.U8(image.bgr[i + 1]);
    w.U8(image.bgr[i]);
  }
  return out;
}

std::vector<std::uint8_t> EncodeSunRaster(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid()) return out;
  const std::size_t rowBytes = (image.RowBytes() + 1) & ~std::size_t{1};
  const std::size_t dataBytes = rowBytes * image.height;
  if (dataBytes > 0xFFFFFFFFu) return out;
  out.reserve(32 + dataBytes);
  ByteWriter w(out);
  w.Be32(0x59A66A95);
  w.Be32(image.width);
  w.Be32(image.height);
  w.Be32(24);
  w.Be32(static_cast<std::uint32_t>(dataBytes));
  w.Be32(1);  // RT_STANDARD
  w.Be32(0);  // no colour map
  w.Be32(0);
  for (int y = 0; y < image.height; ++y) {
    w.Bytes(image.Row(y), image.RowBytes());
    w.Zeros(rowBytes - image.RowBytes());
  }
  return out;
}

std::vector<std::uint8_t> EncodePgx(const Image& image) {
  std::vector<std::uint8_t> out;
  if (!image.IsValid()) return out;
  ByteWriter w(out);
  w.Text("PG ML + 8 " + std::to_string(image.width) + " " + std::to_string(image.height) + "\n");
  out.reserve(out.size() + static_cast<std::size_t>(image.width) * image.height);
  for (std::size_t i = 0; i < image.bgr.size(); i += 3) {
    w.U8(Luminance(image.bgr[i], image.bgr[i + 1], image.bgr[i + 2]));
  }
  return out;
}

}  // namespace q7::imaging
