// The program icon (nine sizes with alpha) and the open-hand cursor.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/resource_module.h"

namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colours;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
struct GroupCursorEntry {
  WORD width;
  WORD height;  // twice the picture: image and mask
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

constexpr int kIconSizes[] = {256, 128, 96, 72, 64, 48, 32, 24, 16};

TEST(ResourceIcon, GroupListsNineSizesLargestFirst) {
  const auto group = q7test::ResourceBytes(q7test::Library(), RT_GROUP_ICON, IDI_APP);
  ASSERT_GE(group.size(), 6u);
  EXPECT_EQ(q7test::ReadAt<WORD>(group, 0), 0);
  EXPECT_EQ(q7test::ReadAt<WORD>(group, 2), 1);  // icon
  ASSERT_EQ(q7test::ReadAt<WORD>(group, 4), 9);
  ASSERT_EQ(group.size(), 6 + 9 * sizeof(GroupIconEntry));
  for (int i = 0; i < 9; ++i) {
    const auto e = q7test::ReadAt<GroupIconEntry>(group, 6 + i * sizeof(GroupIconEntry));
    const int size = kIconSizes[i];
    EXPECT_EQ(e.width == 0 ? 256 : e.width, size) << "entry " << i;
    EXPECT_EQ(e.height == 0 ? 256 : e.height, size) << "entry " << i;
    EXPECT_EQ(e.bit_count, 32);
    EXPECT_EQ(e.planes, 1);
    EXPECT_EQ(e.id, i + 1);
    EXPECT_EQ(e.bytes, q7test::ResourceBytes(q7test::Library(), RT_ICON, e.id).size());
  }
}

TEST(ResourceIcon, ImagesAre32BitDibsWithSoftAlpha) {
  for (int i = 0; i < 9; ++i) {
    const int size = kIconSizes[i];
    const auto image = q7test::ResourceBytes(q7test::Library(), RT_ICON, i + 1);
    ASSERT_GT(image.size(), sizeof(BITMAPINFOHEADER));
    const auto h = q7test::ReadAt<BITMAPINFOHEADER>(image, 0);
    EXPECT_EQ(h.biSize, 40u) << "image " << i + 1 << " must be a DIB, not PNG";
    EXPECT_EQ(h.biWidth, size);
    EXPECT_EQ(h.biHeight, 2 * size);
    EXPECT_EQ(h.biBitCount, 32);
    const size_t mask_stride = ((size + 31) / 32) * 4;
    ASSERT_EQ(image.size(), 40 + size_t(size) * size * 4 + mask_stride * size);
    // Transparent outside the round lens, opaque inside, blended along the rim.
    int clear = 0, opaque = 0, partial = 0;
    for (int p = 0; p < size * size; ++p) {
      const BYTE a = image[40 + p * 4 + 3];
      (a == 0 ? clear : a == 255 ? opaque : partial)++;
    }
    EXPECT_GT(clear, 0) << size;
    EXPECT_GT(opaque, 0) << size;
    EXPECT_GT(partial, 0) << size;
  }
}

TEST(ResourceIcon, LargestImageShowsABlueLensInADarkRing) {
  const auto image = q7test::ResourceBytes(q7test::Library(), RT_ICON, 1);
  ASSERT_EQ(q7test::ReadAt<BITMAPINFOHEADER>(image, 0).biWidth, 256);
  auto pixel = [&](int x, int y) {  // y from the top; rows are stored bottom-up
    const size_t at = 40 + (size_t(255 - y) * 256 + x) * 4;
    return std::vector<int>{image[at + 2], image[at + 1], image[at], image[at + 3]};
  };
  const auto glass = pixel(128 + 60, 128);  // between pupil and bezel
  EXPECT_GT(glass[2], glass[0] + 60) << "blue centre";
  const auto ring = pixel(128 + 112, 128);
  EXPECT_EQ(ring[3], 255);
  EXPECT_LT(ring[0], 140);
  EXPECT_LT(std::abs(ring[0] - ring[2]), 30) << "grey ring";
}

TEST(ResourceIcon, LoadsAtBigAndSmallSizes) {
  for (int size : {32, 16, 256}) {
    HANDLE icon = LoadImageW(q7test::Library(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0);
    ASSERT_NE(icon, nullptr) << size;
    DestroyIcon(static_cast<HICON>(icon));
  }
  EXPECT_NE(LoadIconW(q7test::Library(), MAKEINTRESOURCEW(IDI_APP)), nullptr);
}

TEST(ResourceCursor, GroupHoldsOneMonochrome32PixelImageWithId10) {
  const auto group = q7test::ResourceBytes(q7test::Library(), RT_GROUP_CURSOR, IDC_OPEN_HAND);
  ASSERT_EQ(group.size(), 6 + sizeof(GroupCursorEntry));
  EXPECT_EQ(q7test::ReadAt<WORD>(group, 2), 2);  // cursor
  EXPECT_EQ(q7test::ReadAt<WORD>(group, 4), 1);
  const auto e = q7test::ReadAt<GroupCursorEntry>(group, 6);
  EXPECT_EQ(e.width, 32);
  EXPECT_EQ(e.height, 64);
  EXPECT_EQ(e.bit_count, 1);
  EXPECT_EQ(e.id, 10);
  const auto image = q7test::ResourceBytes(q7test::Library(), RT_CURSOR, 10);
  EXPECT_EQ(e.bytes, image.size());
  ASSERT_GT(image.size(), 4 + sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(q7test::ReadAt<WORD>(image, 0), 11);
  EXPECT_EQ(q7test::ReadAt<WORD>(image, 2), 9);
  const auto h = q7test::ReadAt<BITMAPINFOHEADER>(image, 4);
  EXPECT_EQ(h.biWidth, 32);
  EXPECT_EQ(h.biHeight, 64);
  EXPECT_EQ(h.biBitCount, 1);
}

TEST(ResourceCursor, LoadsWithHotSpotInTheHand) {
  HCURSOR cursor = LoadCursorW(q7test::Library(), MAKEINTRESOURCEW(IDC_OPEN_HAND));
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 11u);
  EXPECT_EQ(info.yHotspot, 9u);
  // The hot spot sits on an opaque pixel of the hand: AND mask bit clear there.
  const auto image = q7test::ResourceBytes(q7test::Library(), RT_CURSOR, 10);
  const size_t and_mask = 4 + 40 + 8 + 32 * 4;  // hot spot, header, two colours, image rows
  const size_t row = and_mask + size_t(31 - 9) * 4;
  EXPECT_EQ(image[row + 11 / 8] & (0x80 >> (11 % 8)), 0);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

}  // namespace
