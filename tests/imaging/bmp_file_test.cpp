#include "imaging/bmp_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imaging/byte_writer.h"

namespace q7::imaging {
namespace {

// A BMP laid out like the snapshot's temporary file: the frame buffer's 40-byte header
// (negative height when top-down) copied behind a 14-byte file header.
std::vector<std::uint8_t> SnapshotBmp(int width, int height, bool topDown, std::uint8_t (*pixel)(int x, int y, int c)) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const std::size_t pixels = stride * height;
  std::vector<std::uint8_t> out;
  out.reserve(54 + pixels);
  ByteWriter w(out);
  w.Text("BM");
  w.Le32(static_cast<std::uint32_t>(pixels + 54));
  w.Le32(0);
  w.Le32(54);
  w.Le32(40);
  w.Le32(width);
  w.Le32(static_cast<std::uint32_t>(topDown ? -height : height));
  w.Le16(1);
  w.Le16(24);
  w.Le32(0);
  w.Le32(static_cast<std::uint32_t>(pixels));
  w.Zeros(16);
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 3; ++c) w.U8(pixel(x, y, c));
    }
    w.Zeros(stride - width * 3);
  }
  return out;
}

std::uint8_t Pattern(int x, int y, int c) { return static_cast<std::uint8_t>(x * 7 + y * 13 + c * 101); }

void ExpectPattern(const Image& image) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(image.Row(y)[x * 3 + c], Pattern(x, y, c)) << x << "," << y << "," << c;
      }
    }
  }
}

TEST(ImagingBmpLoading, ReadsTheSnapshotsTopDown640x480File) {
  const auto file = SnapshotBmp(640, 480, true, Pattern);
  ASSERT_EQ(file.size(), 921654u);
  const auto image = ParseBmp(file);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 640);
  EXPECT_EQ(image->height, 480);
  ExpectPattern(*image);
}

TEST(ImagingBmpLoading, ReadsBottomUpRowsWithPadding) {
  // Width 5: 15 bytes of pixels, one byte of padding per row.
  const auto image = ParseBmp(SnapshotBmp(5, 3, false, Pattern));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, 3);
  ExpectPattern(*image);
}

TEST(ImagingBmpLoading, UsesTheOffsetToThePixels) {
  auto file = SnapshotBmp(2, 2, true, Pattern);
  file.insert(file.begin() + 54, 10, 0xEE);  // e.g. a colour-mask gap
  file[10] = 64;
  const auto image = ParseBmp(file);
  ASSERT_TRUE(image);
  ExpectPattern(*image);
}

TEST(ImagingBmpLoading, RejectsWhatIsNotA24BitUncompressedBmp) {
  const auto good = SnapshotBmp(4, 4, true, Pattern);
  auto broken = [&](std::size_t at, std::uint8_t value) {
    auto copy = good;
    copy[at] = value;
    return copy;
  };
  EXPECT_FALSE(ParseBmp(broken(0, 'X')));                          // magic
  EXPECT_FALSE(ParseBmp(broken(14 + 14, 32)));                     // bit count
  EXPECT_FALSE(ParseBmp(broken(14 + 16, 1)));                      // BI_RLE8
  EXPECT_FALSE(ParseBmp(broken(14 + 4, 0)));                       // width 0
  EXPECT_FALSE(ParseBmp(std::span(good).first(good.size() - 1)));  // last row cut short
  EXPECT_FALSE(ParseBmp(std::span(good).first(30)));
  EXPECT_TRUE(ParseBmp(good));
}

TEST(ImagingBmpWriting, WritesBottomUpWithSizesFilledInAndReadsBack) {
  Image image(3, 2);
  for (std::size_t i = 0; i < image.bgr.size(); ++i) image.bgr[i] = static_cast<std::uint8_t>(i * 9);
  const auto file = EncodeBmp(image);
  ASSERT_EQ(file.size(), 54u + 12 * 2);
  std::int32_t height = 0;
  std::uint32_t fileSize = 0, imageSize = 0;
  std::memcpy(&fileSize, &file[2], 4);
  std::memcpy(&height, &file[22], 4);
  std::memcpy(&imageSize, &file[34], 4);
  EXPECT_EQ(fileSize, file.size());
  EXPECT_EQ(height, 2);  // bottom-up
  EXPECT_EQ(imageSize, 24u);
  EXPECT_EQ(file[54], image.Row(1)[0]);  // the bottom row comes first
  const auto back = ParseBmp(file);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->bgr, image.bgr);
}

}  // namespace
}  // namespace q7::imaging
