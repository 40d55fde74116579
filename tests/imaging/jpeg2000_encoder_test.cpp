#include "imaging/jpeg2000_encoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace q7::imaging {
namespace {

using j2k::ForwardWavelet53;
using j2k::WaveletLevels;

// Inverse 5/3 lifting (ISO/IEC 15444-1 F.3.8) on one interleaved line.
void Unlift53(std::int32_t* y, int n) {
  if (n < 2) return;
  for (int i = 0; i < n; i += 2) {
    const std::int32_t left = i > 0 ? y[i - 1] : y[i + 1];
    const std::int32_t right = i + 1 < n ? y[i + 1] : y[i - 1];
    y[i] -= (left + right + 2) >> 2;
  }
  for (int i = 1; i < n; i += 2) y[i] += (y[i - 1] + (i + 1 < n ? y[i + 1] : y[i - 1])) >> 1;
}

void InverseWavelet53(std::vector<std::int32_t>& plane, int width, int height, int levels) {
  std::vector<int> w{width}, h{height};
  for (int l = 0; l < levels; ++l) {
    w.push_back((w.back() + 1) / 2);
    h.push_back((h.back() + 1) / 2);
  }
  std::vector<std::int32_t> line(std::max(width, height));
  auto interleave = [&line](std::int32_t* values, int n, std::size_t step) {
    const int low = (n + 1) / 2;
    for (int i = 0; i < n; ++i) line[i] = values[step * ((i & 1) ? low + i / 2 : i / 2)];
    Unlift53(line.data(), n);
    for (int i = 0; i < n; ++i) values[step * i] = line[i];
  };
  for (int l = levels; l >= 1; --l) {
    for (int y = 0; y < h[l - 1]; ++y) interleave(plane.data() + static_cast<std::size_t>(y) * width, w[l - 1], 1);
    for (int x = 0; x < w[l - 1]; ++x) interleave(plane.data() + x, h[l - 1], width);
  }
}

TEST(ImagingWavelet53, InverseRestoresEverySampleExactly) {
  std::mt19937 random(7);
  for (auto [width, height] : {std::pair{1, 1}, {2, 1}, {1, 5}, {5, 3}, {64, 64}, {33, 17}, {100, 7}}) {
    const int levels = WaveletLevels(width, height);
    std::vector<std::int32_t> plane(static_cast<std::size_t>(width) * height);
    for (auto& v : plane) v = static_cast<std::int32_t>(random() % 511) - 255;
    auto transformed = plane;
    ForwardWavelet53(transformed, width, height, std::max(levels, 1));
    if (width * height > 1) {
      EXPECT_NE(transformed, plane);
    }
    InverseWavelet53(transformed, width, height, std::max(levels, 1));
    EXPECT_EQ(transformed, plane) << width << "x" << height;
  }
}

TEST(ImagingWavelet53, FlatPictureHasOnlyALowPassBand) {
  std::vector<std::int32_t> plane(20 * 12, 37);
  ForwardWavelet53(plane, 20, 12, 2);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(plane[y * 20 + x], (x < 5 && y < 3) ? 37 : 0) << x << "," << y;
    }
  }
}

TEST(ImagingWavelet53, LevelsStopWhereASideCanNoLongerBeHalved) {
  EXPECT_EQ(WaveletLevels(2592, 1944), 5);
  EXPECT_EQ(WaveletLevels(17, 9), 3);
  EXPECT_EQ(WaveletLevels(1, 1000), 0);
}

// Reads the markers of a code stream up to SOD.
struct Marker {
  std::uint16_t code;
  std::vector<std::uint8_t> body;
};
std::uint32_t Be(const std::uint8_t* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}
std::vector<Marker> MainHeader(const std::vector<std::uint8_t>& cs) {
  std::vector<Marker> markers;
  std::size_t at = 2;
  while (at + 4 <= cs.size()) {
    const auto code = static_cast<std::uint16_t>(Be(&cs[at], 2));
    const std::uint32_t length = Be(&cs[at + 2], 2);
    markers.push_back({code, {cs.begin() + at + 4, cs.begin() + at + 2 + length}});
    at += 2 + length;
    if (code == 0xFF90) break;
  }
  return markers;
}

Image Gradient(int width, int height) {
  Image image(width, height);
  for (std::size_t i = 0; i < image.bgr.size(); ++i) image.bgr[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 5));
  return image;
}

TEST(ImagingJpeg2000CodeStream, DeclaresALosslessSingleTileColourStream) {
  const auto cs = EncodeJpc(Gradient(70, 40));
  ASSERT_GT(cs.size(), 100u);
  EXPECT_EQ(Be(&cs[0], 2), 0xFF4Fu);
  EXPECT_EQ(Be(&cs[cs.size() - 2], 2), 0xFFD9u);
  const auto markers = MainHeader(cs);
  ASSERT_EQ(markers.size(), 4u);
  const auto& siz = markers[0].body;
  ASSERT_EQ(markers[0].code, 0xFF51);
  EXPECT_EQ(Be(&siz[2], 4), 70u);
  EXPECT_EQ(Be(&siz[6], 4), 40u);
  EXPECT_EQ(Be(&siz[18], 4), 70u);  // the tile is the whole picture
  EXPECT_EQ(Be(&siz[34], 2), 3u);
  EXPECT_EQ(siz[36], 7);  // 8-bit unsigned
  const auto& cod = markers[1].body;
  ASSERT_EQ(markers[1].code, 0xFF52);
  EXPECT_EQ(Be(&cod[2], 2), 1u);  // one layer
  EXPECT_EQ(cod[4], 1);           // colour transform
  EXPECT_EQ(cod[5], WaveletLevels(70, 40));
  EXPECT_EQ(cod[9], 1);  // reversible 5/3
  ASSERT_EQ(markers[2].code, 0xFF5C);
  EXPECT_EQ(markers[2].body.size(), 1u + 3 * cod[5] + 1);
  EXPECT_EQ(markers[2].body[0] & 0x1F, 0);  // no quantisation
}

TEST(ImagingJpeg2000CodeStream, TileLengthReachesTheEndMarker) {
  const auto cs = EncodeJpc(Gradient(130, 70));
  const auto markers = MainHeader(cs);
  std::size_t sot = 2;
  for (std::size_t i = 0; i + 1 < markers.size(); ++i) sot += 4 + markers[i].body.size();
  ASSERT_EQ(Be(&cs[sot], 2), 0xFF90u);
  EXPECT_EQ(sot + Be(&cs[sot + 6], 4), cs.size() - 2);
}

TEST(ImagingJpeg2000CodeStream, TileDataNeverContainsAMarker) {
  // Packet headers and code-block data stuff bits after 0xFF, so no 0xFF90..0xFFFF appears.
  const auto cs = EncodeJpc(Gradient(200, 130));
  const auto markers = MainHeader(cs);
  std::size_t data = 2;
  for (const auto& m : markers) data += 4 + m.body.size();
  data += 2;  // SOD
  for (std::size_t i = data; i + 3 < cs.size(); ++i) {
    ASSERT_FALSE(cs[i] == 0xFF && cs[i + 1] > 0x8F) << "at " << i;
  }
}

TEST(ImagingJpeg2000CodeStream, FlatPictureCodesToAlmostNothing) {
  Image grey(256, 256);
  std::fill(grey.bgr.begin(), grey.bgr.end(), 128);  // zero after the level shift
  EXPECT_LT(EncodeJpc(grey).size(), 200u);
}

TEST(ImagingJpeg2000CodeStream, RefusesSidesBeyondOnePrecinct) {
  EXPECT_TRUE(EncodeJpc(Image(j2k::kMaxSide + 1, 1)).empty());
  EXPECT_TRUE(EncodeJpc(Image()).empty());
}

TEST(ImagingJp2File, BoxesFollowEachOtherToTheEndAroundTheCodeStream) {
  const Image image = Gradient(33, 21);
  const auto jp2 = EncodeJp2(image);
  const auto cs = EncodeJpc(image);
  std::vector<std::string> order;
  std::size_t at = 0;
  while (at + 8 <= jp2.size()) {
    const std::uint32_t length = Be(&jp2[at], 4);
    ASSERT_GE(length, 8u);
    const std::string type(jp2.begin() + at + 4, jp2.begin() + at + 8);
    order.push_back(type);
    if (type == "jp2h") {
      EXPECT_EQ(std::string(jp2.begin() + at + 12, jp2.begin() + at + 16), "ihdr");
      EXPECT_EQ(Be(&jp2[at + 16], 4), 21u);  // height first
      EXPECT_EQ(Be(&jp2[at + 20], 4), 33u);
      EXPECT_EQ(Be(&jp2[at + 24], 2), 3u);
      EXPECT_EQ(std::string(jp2.begin() + at + 34, jp2.begin() + at + 38), "colr");
      EXPECT_EQ(Be(&jp2[at + 41], 4), 16u);  // sRGB
    }
    if (type == "jp2c") {
      EXPECT_EQ(std::vector<std::uint8_t>(jp2.begin() + at + 8, jp2.end()), cs);
    }
    at += length;
  }
  EXPECT_EQ(at, jp2.size());
  EXPECT_EQ(order, (std::vector<std::string>{"jP  ", "ftyp", "jp2h", "jp2c"}));
  EXPECT_EQ(Be(&jp2[8], 4), 0x0D0A870Au);
}

}  // namespace
}  // namespace q7::imaging
