#include "imaging/gif_encoder.h"

#include <gtest/gtest.h>

#include <string>

#include "imaging/palette_quantizer.h"
#include "tests/imaging/camera_like_picture.h"
#include "tests/imaging/decoded_picture.h"

namespace q7::imaging {
namespace {

// A GIF reader of the test's own, written from the format description alone, so that it shares
// no mistake with the encoder. The independent readers (ImageMagick, PIL, WIC) check the files
// as well, in check_with_readers.sh and image_file_test.cpp.
struct LzwResult {
  std::vector<std::uint8_t> symbols;
  int clears = 0;
};

LzwResult LzwDecode(const std::vector<std::uint8_t>& data, int minCodeSize) {
  const std::size_t clear = std::size_t{1} << minCodeSize, end = clear + 1;
  std::vector<std::vector<std::uint8_t>> table;
  int width = 0;
  auto reset = [&] {
    table.assign(end + 1, {});
    for (std::size_t i = 0; i < clear; ++i) table[i] = {static_cast<std::uint8_t>(i)};
    width = minCodeSize + 1;
  };
  std::size_t bit = 0;
  auto read = [&]() -> std::size_t {
    if (bit + width > data.size() * 8) return SIZE_MAX;
    std::size_t code = 0;
    for (int i = 0; i < width; ++i, ++bit) code |= std::size_t{(data[bit / 8] >> (bit % 8)) & 1u} << i;
    return code;
  };
  LzwResult result;
  reset();
  std::size_t previous = SIZE_MAX;
  for (;;) {
    const std::size_t code = read();
    if (code == SIZE_MAX) {
      ADD_FAILURE() << "the data ends without an end code";
      break;
    }
    if (code == end) break;
    if (code == clear) {
      reset();
      previous = SIZE_MAX;
      ++result.clears;
      continue;
    }
    std::vector<std::uint8_t> entry;
    if (code < table.size()) {
      entry = table[code];
    } else if (code == table.size() && previous != SIZE_MAX) {
      entry = table[previous];
      entry.push_back(entry[0]);
    } else {
      ADD_FAILURE() << "code " << code << " is not in the table of " << table.size();
      break;
    }
    if (previous != SIZE_MAX && table.size() < 4096) {
      table.push_back(table[previous]);
      table.back().push_back(entry[0]);
    }
    result.symbols.insert(result.symbols.end(), entry.begin(), entry.end());
    previous = code;
    if (table.size() == (std::size_t{1} << width) && width < 12) ++width;
  }
  return result;
}

std::size_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// The picture of a single-image GIF with a global colour table; an invalid Image if the file
// breaks the format.
Image ReadGif(const std::vector<std::uint8_t>& file) {
  if (file.size() < 13 || std::string(file.begin(), file.begin() + 6) != "GIF89a" || !(file[10] & 0x80)) return {};
  const std::size_t colours = std::size_t{2} << (file[10] & 7);
  std::size_t at = 13 + 3 * colours;
  if (file.size() < at + 11 || file[at] != 0x2C || Le16(file, at + 1) != 0 || Le16(file, at + 3) != 0 ||
      Le16(file, at + 5) != Le16(file, 6) || Le16(file, at + 7) != Le16(file, 8) || file[at + 9] != 0) {
    return {};
  }
  const int minCodeSize = file[at + 10];
  std::vector<std::uint8_t> data;
  for (at += 11; at < file.size() && file[at] != 0; at += 1 + file[at]) {
    if (at + 1 + file[at] > file.size()) return {};
    data.insert(data.end(), file.begin() + at + 1, file.begin() + at + 1 + file[at]);
  }
  if (at + 2 != file.size() || file[at + 1] != 0x3B) return {};
  const std::vector<std::uint8_t> indices = LzwDecode(data, minCodeSize).symbols;
  Image image(static_cast<int>(Le16(file, 6)), static_cast<int>(Le16(file, 8)));
  if (indices.size() != image.bgr.size() / 3) return {};
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (indices[i] >= colours) return {};
    const std::uint8_t* rgb = &file[13 + 3 * indices[i]];
    image.bgr[3 * i] = rgb[2], image.bgr[3 * i + 1] = rgb[1], image.bgr[3 * i + 2] = rgb[0];
  }
  return image;
}

using testing::Psnr;

TEST(ImagingGifLzw, RoundTripsEveryCodeSizeThroughDictionaryResets) {
  std::uint32_t state = 7;
  for (int minCodeSize = 2; minCodeSize <= 8; ++minCodeSize) {
    // Noise fills the dictionary many times over; a long run makes ever longer strings and the
    // code that is defined by its own use.
    std::vector<std::uint8_t> symbols;
    for (int i = 0; i < 60000; ++i) {
      state = state * 1664525u + 1013904223u;
      symbols.push_back(static_cast<std::uint8_t>((state >> 24) & ((1u << minCodeSize) - 1)));
    }
    symbols.insert(symbols.end(), 5000, 1);
    for (int i = 0; i < 3000; ++i) symbols.push_back(static_cast<std::uint8_t>(i % 3));
    const LzwResult back = LzwDecode(gif::LzwEncode(symbols, minCodeSize), minCodeSize);
    EXPECT_EQ(back.symbols, symbols) << "minimum code size " << minCodeSize;
    EXPECT_GE(back.clears, 2) << "minimum code size " << minCodeSize;  // the first, and a reset
  }
  for (std::size_t length : {1u, 2u, 3u}) {
    const std::vector<std::uint8_t> few(length, 3);
    EXPECT_EQ(LzwDecode(gif::LzwEncode(few, 2), 2).symbols, few);
  }
}

TEST(ImagingGifLzw, LongRunsShrinkToGrowingStrings) {
  // Strings of 1, 2, 3, ... symbols: about 450 codes for 100,000 equal symbols.
  EXPECT_LT(gif::LzwEncode(std::vector<std::uint8_t>(100000, 5), 8).size(), 800u);
}

TEST(ImagingGif, PicturesOfAtMost256ColoursSurviveExactly) {
  Image many(37, 29);  // odd width; exactly 256 colours, the last one late in the picture
  for (std::size_t i = 0; i < many.bgr.size() / 3; ++i) {
    const auto n = static_cast<std::uint8_t>(std::min<std::size_t>(i, 255));
    many.bgr[3 * i] = n, many.bgr[3 * i + 1] = static_cast<std::uint8_t>(255 - n), many.bgr[3 * i + 2] = n / 2;
  }
  Image one(1, 1);
  one.bgr = {10, 20, 30};
  Image two(5, 3);
  for (std::size_t i = 0; i < two.bgr.size(); ++i) two.bgr[i] = (i / 3) % 2 ? 255 : 0;
  for (const Image* picture : {&many, &one, &two}) {
    const auto file = EncodeGif(*picture);
    EXPECT_EQ(ReadGif(file).bgr, picture->bgr) << picture->width << " x " << picture->height;
  }
  const auto file = EncodeGif(one);
  EXPECT_EQ(file[10] & 7, 0);       // a colour table of two entries, the least there is
  EXPECT_EQ(file[13 + 6 + 10], 2);  // minimum code size, after the table and image descriptor
  EXPECT_EQ(EncodeGif(many)[10] & 7, 7);
}

TEST(ImagingGif, CameraFrameDecodesCloseToThePicture) {
  const Image picture = testing::CameraLikePicture(333, 227);
  const Image plain = ReadGif(EncodeGif(picture));
  ASSERT_TRUE(plain.IsValid());
  EXPECT_GT(Psnr(plain, picture), 32.0);
  EXPECT_EQ(ChoosePalette(picture).size(), 256u);
  const Image dithered = ReadGif(EncodeGif(picture, {.dither = true}));
  ASSERT_TRUE(dithered.IsValid());
  EXPECT_GT(Psnr(dithered, picture), 28.0);
  EXPECT_EQ(EncodeGif(picture), EncodeGif(picture));  // the same frame always makes the same file
}

TEST(ImagingGif, RefusesSidesBeyondTheFormat) {
  EXPECT_TRUE(EncodeGif(Image(65536, 1)).empty());
  EXPECT_TRUE(EncodeGif(Image()).empty());
}

TEST(ImagingPalette, ErrorDiffusionKeepsTheAverageOfAnArea) {
  Image grey(64, 64);
  std::fill(grey.bgr.begin(), grey.bgr.end(), 100);
  const Palette blackAndWhite = {{0, 0, 0}, {255, 255, 255}};
  const auto plain = MapToPalette(grey, blackAndWhite, false);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), 1), 0);
  const auto dithered = MapToPalette(grey, blackAndWhite, true);
  const double white = static_cast<double>(std::count(dithered.begin(), dithered.end(), 1)) / dithered.size();
  EXPECT_NEAR(white, 100.0 / 255.0, 0.01);
}

}  // namespace
}  // namespace q7::imaging
