#include "imaging/jpeg_encoder.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/imaging/camera_like_picture.h"
#include "tests/imaging/decoded_picture.h"

namespace q7::imaging {
namespace {

using testing::DecodeWithWic;
using testing::Psnr;

class JpegEncoding : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  void TearDown() override { CoUninitialize(); }

  static std::vector<std::uint8_t> Encode(const Image& image, JpegSettings settings = {}) {
    std::vector<std::uint8_t> out;
    EXPECT_EQ(EncodeJpeg(image, settings, out), S_OK);
    return out;
  }

  // An odd size, so the last blocks are partial both ways.
  const Image picture_ = testing::CameraLikePicture(333, 227);
};

// Each component's horizontal and vertical sampling factors, from the baseline frame header.
std::vector<std::pair<int, int>> SamplingFactors(const std::vector<std::uint8_t>& file) {
  for (std::size_t at = 2; at + 4 <= file.size();) {
    if (file[at] != 0xFF) break;
    const int marker = file[at + 1];
    const std::size_t length = file[at + 2] << 8 | file[at + 3];
    if (marker == 0xC0) {
      std::vector<std::pair<int, int>> factors;
      const int components = file[at + 9];
      for (int c = 0; c < components; ++c) {
        const std::uint8_t hv = file[at + 11 + 3 * c];
        factors.emplace_back(hv >> 4, hv & 15);
      }
      return factors;
    }
    at += 2 + length;
  }
  return {};
}

TEST_F(JpegEncoding, PaddedRowsEncodeAsThePackedPicture) {
  const std::size_t stride = picture_.RowBytes() + 13;
  std::vector<std::uint8_t> padded(stride * picture_.height, 0xAB);  // the padding must never be read
  for (int y = 0; y < picture_.height; ++y) std::copy_n(picture_.Row(y), picture_.RowBytes(), &padded[y * stride]);
  JpegEncoder encoder;
  std::vector<std::uint8_t> fromPadded;
  ASSERT_EQ(encoder.Encode({padded.data(), picture_.width, picture_.height, stride}, {}, fromPadded), S_OK);
  EXPECT_EQ(fromPadded, Encode(picture_));
}

TEST_F(JpegEncoding, HigherQualityGivesALargerFileCloserToThePicture) {
  const auto low = Encode(picture_, {30});
  const auto usual = Encode(picture_);
  const auto best = Encode(picture_, {100});
  EXPECT_LT(low.size(), usual.size());
  EXPECT_LT(usual.size(), best.size());
  const double lowDb = Psnr(DecodeWithWic(low), picture_);
  const double usualDb = Psnr(DecodeWithWic(usual), picture_);
  EXPECT_LT(lowDb, usualDb);
  EXPECT_LT(usualDb, Psnr(DecodeWithWic(best), picture_));
}

TEST_F(JpegEncoding, ColourIsHalvedBothWaysUnlessFullColourIsAsked) {
  const std::vector<std::pair<int, int>> half{{2, 2}, {1, 1}, {1, 1}};
  const std::vector<std::pair<int, int>> full{{1, 1}, {1, 1}, {1, 1}};
  EXPECT_EQ(SamplingFactors(Encode(picture_)), half);
  const auto fullFile = Encode(picture_, {kDefaultJpegQuality, ChromaSubsampling::Full});
  EXPECT_EQ(SamplingFactors(fullFile), full);
  // The chart's one-pixel coloured lines lose most to halved colour.
  EXPECT_GT(Psnr(DecodeWithWic(fullFile), picture_), Psnr(DecodeWithWic(Encode(picture_)), picture_) + 3);
}

TEST_F(JpegEncoding, RefusesWhatItCannotEncodeAndWritesOnAsIfFresh) {
  JpegEncoder encoder;
  std::vector<std::uint8_t> out{1, 2, 3};
  const BgrPixels pixels = PixelsOf(picture_);
  EXPECT_EQ(encoder.Encode(pixels, {0}, out), E_INVALIDARG);
  EXPECT_EQ(encoder.Encode(pixels, {101}, out), E_INVALIDARG);
  EXPECT_EQ(encoder.Encode({pixels.first, pixels.width, pixels.height, pixels.stride - 1}, {}, out), E_INVALIDARG);
  EXPECT_EQ(encoder.Encode({}, {}, out), E_INVALIDARG);
  EXPECT_TRUE(out.empty());
  // Wider than JPEG allows: refused by the library itself, half-way into its work.
  const Image tooWide(65501, 1);
  out = {1};
  EXPECT_EQ(encoder.Encode(PixelsOf(tooWide), {}, out), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_TRUE(out.empty());
  // The same compressor then writes exactly what a fresh one writes, picture after picture.
  const Image other = testing::CameraLikePicture(64, 40, 99);
  for (const Image* image : {&picture_, &other, &picture_}) {
    ASSERT_EQ(encoder.Encode(PixelsOf(*image), {}, out), S_OK);
    EXPECT_EQ(out, Encode(*image));
  }
}

}  // namespace
}  // namespace q7::imaging
