#include "imaging/simple_formats.h"

#include <gtest/gtest.h>

#include <string>

namespace q7::imaging {
namespace {

std::uint32_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

// Every pixel different, and blue, green and red distinguishable.
Image Numbered(int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.Row(y)[x * 3] = static_cast<std::uint8_t>(10 + x);           // blue
      image.Row(y)[x * 3 + 1] = static_cast<std::uint8_t>(100 + y);      // green
      image.Row(y)[x * 3 + 2] = static_cast<std::uint8_t>(200 + x + y);  // red
    }
  }
  return image;
}

TEST(ImagingTga, WritesAnUncompressedBottomUpTrueColourFile) {
  const Image image = Numbered(3, 2);
  const auto tga = EncodeTga(image);
  ASSERT_EQ(tga.size(), 18u + 18 + 26);
  EXPECT_EQ(tga[2], 2);
  EXPECT_EQ(Le16(tga, 12), 3u);
  EXPECT_EQ(Le16(tga, 14), 2u);
  EXPECT_EQ(tga[16], 24);
  EXPECT_EQ(tga[17], 0);  // origin bottom left
  EXPECT_EQ(std::vector<std::uint8_t>(tga.begin() + 18, tga.begin() + 27),
            std::vector<std::uint8_t>(image.Row(1), image.Row(1) + 9));
  EXPECT_EQ(std::string(tga.end() - 18, tga.end() - 1), "TRUEVISION-XFILE.");
}

// Reads PCX RLE back, as a reader would.
std::vector<std::uint8_t> UnPcx(const std::vector<std::uint8_t>& pcx) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 128; i < pcx.size(); ++i) {
    if (pcx[i] >= 0xC0) {
      out.insert(out.end(), pcx[i] & 0x3F, pcx[i + 1]);
      ++i;
    } else {
      out.push_back(pcx[i]);
    }
  }
  return out;
}

TEST(ImagingPcx, WritesRedGreenBluePlanesPerLineWithEvenLineLength) {
  Image image = Numbered(3, 2);
  image.Row(0)[2] = 0xC5;  // a single red value that looks like a count byte
  const auto pcx = EncodePcx(image);
  EXPECT_EQ(pcx[0], 0x0A);
  EXPECT_EQ(pcx[2], 1);
  EXPECT_EQ(pcx[3], 8);
  EXPECT_EQ(Le16(pcx, 8), 2u);   // xmax
  EXPECT_EQ(Le16(pcx, 10), 1u);  // ymax
  EXPECT_EQ(pcx[65], 3);
  EXPECT_EQ(Le16(pcx, 66), 4u);  // 3 rounded up to even
  const auto planes = UnPcx(pcx);
  ASSERT_EQ(planes.size(), 2u * 3 * 4);
  const std::vector<std::uint8_t> firstLine{0xC5, 201, 202, 0, 100, 100, 100, 0, 10, 11, 12, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(planes.begin(), planes.begin() + 12), firstLine);
}

TEST(ImagingPcx, CompressesFlatAreasIntoRunsOfAtMost63) {
  const Image flat(200, 1);  // all black
  const auto pcx = EncodePcx(flat);
  // Each plane line: 63 + 63 + 63 + 11 = four run pairs.
  EXPECT_EQ(pcx.size(), 128u + 3 * 4 * 2);
  EXPECT_EQ(UnPcx(pcx).size(), 600u);
}

TEST(ImagingWbmp, WritesMultiByteSizesAndThresholdsLuminance) {
  Image image(200, 2);
  image.Row(0)[0] = image.Row(0)[1] = image.Row(0)[2] = 128;  // luminance 128: white
  image.Row(0)[9 * 3 + 2] = 255;                              // pure red, luminance 76: black
  image.Row(1)[199 * 3 + 1] = 255;                            // pure green, luminance 150: white
  const auto wbmp = EncodeWbmp(image);
  ASSERT_EQ(wbmp.size(), 2u + 2 + 1 + 2 * 25);
  EXPECT_EQ(wbmp[0], 0);
  EXPECT_EQ(wbmp[2], 0x81);  // 200 = 1 * 128 + 72
  EXPECT_EQ(wbmp[3], 72);
  EXPECT_EQ(wbmp[4], 2);
  EXPECT_EQ(wbmp[5], 0x80);  // first pixel is the most significant bit
  EXPECT_EQ(wbmp[6], 0x00);
  EXPECT_EQ(wbmp[5 + 25 + 24], 0x01);  // x = 199 in the last byte of row 1
}

TEST(ImagingPnm, WritesP6WithRedGreenBlueOrder) {
  const auto pnm = EncodePnm(Numbered(2, 1));
  const std::string header = "P6\n2 1\n255\n";
  ASSERT_EQ(pnm.size(), header.size() + 6);
  EXPECT_EQ(std::string(pnm.begin(), pnm.begin() + header.size()), header);
  EXPECT_EQ(std::vector<std::uint8_t>(pnm.begin() + header.size(), pnm.end()),
            (std::vector<std::uint8_t>{200, 100, 10, 201, 100, 11}));
}

TEST(ImagingSunRaster, WritesBigEndianHeaderAndRowsPaddedTo16Bits) {
  const Image image = Numbered(1, 2);
  const auto ras = EncodeSunRaster(image);
  ASSERT_EQ(ras.size(), 32u + 2 * 4);
  EXPECT_EQ(Be32(ras, 0), 0x59A66A95u);
  EXPECT_EQ(Be32(ras, 4), 1u);
  EXPECT_EQ(Be32(ras, 8), 2u);
  EXPECT_EQ(Be32(ras, 12), 24u);
  EXPECT_EQ(Be32(ras, 16), 8u);  // data length
  EXPECT_EQ(Be32(ras, 20), 1u);  // RT_STANDARD: blue, green, red
  EXPECT_EQ(std::vector<std::uint8_t>(ras.begin() + 32, ras.end()),
            (std::vector<std::uint8_t>{10, 100, 200, 0, 10, 101, 201, 0}));
}

TEST(ImagingPgx, WritesOneLuminanceComponent) {
  Image image(3, 1);
  image.Row(0)[2] = 255;  // red
  image.Row(0)[4] = 255;  // green
  image.Row(0)[6] = 255;  // blue
  const auto pgx = EncodePgx(image);
  const std::string header = "PG ML + 8 3 1\n";
  ASSERT_EQ(pgx.size(), header.size() + 3);
  EXPECT_EQ(std::string(pgx.begin(), pgx.begin() + header.size()), header);
  EXPECT_EQ(pgx[header.size()], 76);       // 0.299 * 255
  EXPECT_EQ(pgx[header.size() + 1], 150);  // 0.587 * 255
  EXPECT_EQ(pgx[header.size() + 2], 29);   // 0.114 * 255
}

TEST(ImagingSimpleFormats, RefuseWhatTheFormatCannotHold) {
  const Image wide(65536, 1);
  EXPECT_TRUE(EncodeTga(wide).empty());
  EXPECT_TRUE(EncodePcx(wide).empty());
  EXPECT_FALSE(EncodeSunRaster(wide).empty());
  const Image invalid;
  EXPECT_TRUE(EncodeWbmp(invalid).empty());
  EXPECT_TRUE(EncodePnm(invalid).empty());
  EXPECT_TRUE(EncodePgx(invalid).empty());
}

}  // namespace
}  // namespace q7::imaging
