#include "imaging/ico_encoder.h"

#include <gtest/gtest.h>

namespace q7::imaging {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

TEST(ImagingIcoEntrySize, KeepsSmallPicturesAndShrinksLargeOnesProportionally) {
  EXPECT_EQ(IcoEntrySize(256, 256).width, 256);
  EXPECT_EQ(IcoEntrySize(100, 50).height, 50);
  const Size camera = IcoEntrySize(2592, 1944);
  EXPECT_EQ(camera.width, 256);
  EXPECT_EQ(camera.height, 192);
  const Size tall = IcoEntrySize(10, 5000);
  EXPECT_EQ(tall.width, 1);  // never zero
  EXPECT_EQ(tall.height, 256);
}

TEST(ImagingIcoShrinking, AveragesTheAreaEachTargetPixelCovers) {
  Image checker(4, 2);
  for (int x = 0; x < 4; ++x) {
    for (int c = 0; c < 3; ++c) checker.Row(0)[x * 3 + c] = checker.Row(1)[x * 3 + c] = (x % 2) ? 255 : 0;
  }
  const Image half = ShrinkToSize(checker, 2, 1);
  for (std::uint8_t v : half.bgr) EXPECT_EQ(v, 128);  // 127.5 rounded

  // 3 -> 2: the middle sample is split between both targets.
  Image ramp(3, 1);
  for (int x = 0; x < 3; ++x) ramp.Row(0)[x * 3] = static_cast<std::uint8_t>(x * 90);
  const Image two = ShrinkToSize(ramp, 2, 1);
  EXPECT_EQ(two.Row(0)[0], 30);   // (2 * 0 + 1 * 90) / 3
  EXPECT_EQ(two.Row(0)[3], 150);  // (1 * 90 + 2 * 180) / 3
}

TEST(ImagingIco, WritesOneEntryWhoseDirectoryMatchesTheDib) {
  Image image(600, 450);  // shrinks to 256 x 192
  for (std::size_t i = 0; i < image.bgr.size(); ++i) image.bgr[i] = static_cast<std::uint8_t>(i);
  const auto ico = EncodeIco(image);
  const std::size_t dibBytes = 40 + 256 * 3 * 192 + 32 * 192;
  ASSERT_EQ(ico.size(), 22 + dibBytes);
  EXPECT_EQ(ico[2], 1);  // icon
  EXPECT_EQ(ico[4], 1);  // one image
  EXPECT_EQ(ico[6], 0);  // width 256
  EXPECT_EQ(ico[7], 192);
  EXPECT_EQ(ico[12], 24);
  EXPECT_EQ(Le32(ico, 14), dibBytes);
  EXPECT_EQ(Le32(ico, 18), 22u);
  EXPECT_EQ(Le32(ico, 22), 40u);
  EXPECT_EQ(Le32(ico, 26), 256u);
  EXPECT_EQ(Le32(ico, 30), 384u);  // colour bitmap and mask
}

TEST(ImagingIco, StoresSmallPicturesUnscaledBottomUp) {
  Image image(2, 2);
  image.Row(1)[0] = 77;
  const auto ico = EncodeIco(image);
  EXPECT_EQ(ico[6], 2);
  EXPECT_EQ(ico[7], 2);
  EXPECT_EQ(ico[22 + 40], 77);  // first stored row is the bottom one
  EXPECT_EQ(ico.size(), 22u + 40 + 8 * 2 + 4 * 2);
}

}  // namespace
}  // namespace q7::imaging
