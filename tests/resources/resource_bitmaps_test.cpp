// Bitmaps: format, sizes, strip layout, the video frame pieces and where the key colour sits.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/resources/resource_module.h"

namespace {

constexpr COLORREF kKey = RGB(205, 135, 135);

// A bitmap resource: a BITMAPINFOHEADER followed by 24-bit rows, bottom row first.
struct Dib {
  BITMAPINFOHEADER header{};
  std::vector<BYTE> bytes;
  bool ok = false;

  explicit Dib(int id) {
    bytes = q7test::ResourceBytes(q7test::Library(), RT_BITMAP, id);
    if (bytes.size() < sizeof header) return;
    header = q7test::ReadAt<BITMAPINFOHEADER>(bytes, 0);
    ok = header.biSize == sizeof(BITMAPINFOHEADER) && header.biBitCount == 24 && header.biCompression == BI_RGB &&
         header.biHeight > 0 && bytes.size() >= sizeof header + Stride() * static_cast<size_t>(header.biHeight);
  }
  int Width() const { return header.biWidth; }
  int Height() const { return header.biHeight; }
  size_t Stride() const { return (static_cast<size_t>(header.biWidth) * 3 + 3) & ~size_t{3}; }
  // (x, y) with y counted from the top, as a window shows the picture.
  COLORREF Pixel(int x, int y) const {
    const size_t at = sizeof header + Stride() * static_cast<size_t>(Height() - 1 - y) + static_cast<size_t>(x) * 3;
    return RGB(bytes[at + 2], bytes[at + 1], bytes[at]);
  }
};

struct BitmapSpec {
  int id;
  int width;
  int height;
  int states;  // 4 for a hover-button strip
};

const BitmapSpec kBitmaps[] = {
    {IDB_PROPERTY_BANNER, 1680, 96, 1},
    {IDB_PANEL_FACE, 274, 178, 1},
    {IDB_HIDE_STRIP, 44, 11, 4},
    {IDB_EXIT_STRIP, 44, 11, 4},
    {IDB_ABOUT, 500, 350, 1},
    {IDB_IMAGE_STRIP, 904, 25, 4},
    {IDB_RESOLUTION_STRIP, 432, 25, 4},
    {IDB_PLAY_STRIP, 128, 32, 4},
    {IDB_SNAPSHOT_STRIP, 104, 22, 4},
    {IDB_FULL_SCREEN_STRIP, 104, 22, 4},
    {IDB_INFORMATION_STRIP, 104, 22, 4},
    {IDB_STOP_STRIP, 104, 22, 4},
    {IDB_ZOOM_IN_STRIP, 104, 22, 4},
    {IDB_ZOOM_OUT_STRIP, 104, 22, 4},
    {IDB_VIDEO_BACKGROUND, 478, 368, 1},
    {IDB_FRAME_BOTTOM, 4, 4, 1},
    {IDB_FRAME_BOTTOM_LEFT, 4, 4, 1},
    {IDB_FRAME_BOTTOM_RIGHT, 4, 4, 1},
    {IDB_FRAME_LEFT, 4, 4, 1},
    {IDB_FRAME_RIGHT, 4, 4, 1},
    {IDB_FRAME_TOP, 4, 4, 1},
    {IDB_FRAME_TOP_LEFT, 4, 4, 1},
    {IDB_FRAME_TOP_RIGHT, 4, 4, 1},
};

void PrintTo(const BitmapSpec& spec, std::ostream* os) { *os << "bitmap " << spec.id; }

class ResourceBitmap : public ::testing::TestWithParam<BitmapSpec> {};

TEST_P(ResourceBitmap, IsAnUncompressedBottomUp24BitDib) {
  const Dib dib(GetParam().id);
  ASSERT_FALSE(dib.bytes.empty()) << "bitmap " << GetParam().id << " missing";
  EXPECT_EQ(dib.header.biSize, 40u);
  EXPECT_EQ(dib.header.biPlanes, 1);
  EXPECT_EQ(dib.header.biBitCount, 24);
  EXPECT_EQ(dib.header.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_GT(dib.header.biHeight, 0) << "rows must run bottom-up";
  EXPECT_EQ(dib.header.biClrUsed, 0u);
  EXPECT_TRUE(dib.ok);
}

TEST_P(ResourceBitmap, HasItsSize) {
  const Dib dib(GetParam().id);
  EXPECT_EQ(dib.Width(), GetParam().width);
  EXPECT_EQ(dib.Height(), GetParam().height);
}

TEST_P(ResourceBitmap, LoadsThroughGdiWithItsSize) {
  HBITMAP bitmap = LoadBitmapW(q7test::Library(), MAKEINTRESOURCEW(GetParam().id));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, GetParam().width);
  EXPECT_EQ(info.bmHeight, GetParam().height);
  DeleteObject(bitmap);
}

class ResourceStrip : public ::testing::TestWithParam<BitmapSpec> {};

TEST_P(ResourceStrip, SplitsIntoFourWholeDistinctStates) {
  const Dib dib(GetParam().id);
  ASSERT_TRUE(dib.ok);
  EXPECT_EQ(dib.Width() % 4, 0);
  // The four states are different pictures: normal, hover, pressed and disabled.
  const int w = dib.Width() / 4;
  std::set<std::vector<COLORREF>> states;
  for (int s = 0; s < 4; ++s) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < dib.Height(); ++y)
      for (int x = 0; x < w; ++x) pixels.push_back(dib.Pixel(s * w + x, y));
    states.insert(pixels);
  }
  EXPECT_EQ(states.size(), 4u);
}

std::string BitmapName(const ::testing::TestParamInfo<BitmapSpec>& info) {
  return "Bitmap" + std::to_string(info.param.id);
}

std::vector<BitmapSpec> Strips() {
  std::vector<BitmapSpec> strips;
  for (const auto& spec : kBitmaps)
    if (spec.states == 4) strips.push_back(spec);
  return strips;
}

INSTANTIATE_TEST_SUITE_P(All, ResourceBitmap, ::testing::ValuesIn(kBitmaps), BitmapName);
INSTANTIATE_TEST_SUITE_P(All, ResourceStrip, ::testing::ValuesIn(Strips()), BitmapName);

// Grey levels row by row; -1 is the key colour.
struct Piece {
  int id;
  int grey[4][4];
};

const Piece kPieces[] = {
    {IDB_FRAME_TOP, {{64, 64, 64, 64}, {121, 121, 121, 121}, {98, 98, 98, 98}, {98, 98, 98, 98}}},
    {IDB_FRAME_BOTTOM, {{98, 98, 98, 98}, {98, 98, 98, 98}, {121, 121, 121, 121}, {64, 64, 64, 64}}},
    {IDB_FRAME_LEFT, {{64, 121, 98, 98}, {64, 121, 98, 98}, {64, 121, 98, 98}, {64, 121, 98, 98}}},
    {IDB_FRAME_RIGHT, {{98, 98, 121, 64}, {98, 98, 121, 64}, {98, 98, 121, 64}, {98, 98, 121, 64}}},
    {IDB_FRAME_TOP_LEFT, {{-1, -1, 114, 84}, {-1, 100, 81, 112}, {112, 82, 119, 107}, {82, 114, 106, 98}}},
    {IDB_FRAME_TOP_RIGHT, {{84, 114, -1, -1}, {112, 81, 100, -1}, {107, 119, 82, 112}, {98, 106, 114, 82}}},
    {IDB_FRAME_BOTTOM_LEFT, {{78, 116, 103, 98}, {102, 95, 115, 101}, {-1, 82, 98, 120}, {-1, -1, 98, 68}}},
    {IDB_FRAME_BOTTOM_RIGHT, {{98, 103, 116, 78}, {101, 115, 95, 102}, {120, 98, 82, -1}, {68, 98, -1, -1}}},
};

COLORREF PieceColour(int grey) { return grey < 0 ? kKey : RGB(grey, grey, grey); }

TEST(ResourceFramePieces, HoldExactlyTheirPixels) {
  for (const auto& piece : kPieces) {
    const Dib dib(piece.id);
    ASSERT_TRUE(dib.ok) << piece.id;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dib.Pixel(x, y), PieceColour(piece.grey[y][x])) << "piece " << piece.id << " at " << x << "," << y;
  }
}

TEST(ResourceFramePieces, VideoBackgroundIsTheirCompositionAroundBlack) {
  const Dib frame(IDB_VIDEO_BACKGROUND);
  ASSERT_TRUE(frame.ok);
  const int w = frame.Width(), h = frame.Height();
  auto expected = [&](int x, int y) -> COLORREF {
    const auto& p = [](int id) -> const Piece& {
      for (const auto& piece : kPieces)
        if (piece.id == id) return piece;
      return kPieces[0];
    };
    const bool left = x < 4, right = x >= w - 4, top = y < 4, bottom = y >= h - 4;
    if (top && left) return PieceColour(p(IDB_FRAME_TOP_LEFT).grey[y][x]);
    if (top && right) return PieceColour(p(IDB_FRAME_TOP_RIGHT).grey[y][x - (w - 4)]);
    if (bottom && left) return PieceColour(p(IDB_FRAME_BOTTOM_LEFT).grey[y - (h - 4)][x]);
    if (bottom && right) return PieceColour(p(IDB_FRAME_BOTTOM_RIGHT).grey[y - (h - 4)][x - (w - 4)]);
    if (top) return PieceColour(p(IDB_FRAME_TOP).grey[y][0]);
    if (bottom) return PieceColour(p(IDB_FRAME_BOTTOM).grey[y - (h - 4)][0]);
    if (left) return PieceColour(p(IDB_FRAME_LEFT).grey[0][x]);
    if (right) return PieceColour(p(IDB_FRAME_RIGHT).grey[0][x - (w - 4)]);
    return RGB(0, 0, 0);
  };
  int wrong = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (frame.Pixel(x, y) != expected(x, y) && ++wrong <= 10) ADD_FAILURE() << "pixel " << x << "," << y;
  EXPECT_EQ(wrong, 0);
}

// The pixels allowed (and required) to carry the key colour.
std::set<std::pair<int, int>> KeyedCorners(int id, int w, int h) {
  std::vector<std::pair<int, int>> corner;
  switch (id) {
    case IDB_PANEL_FACE:
    case IDB_VIDEO_BACKGROUND: corner = {{0, 0}, {1, 0}, {0, 1}}; break;
    case IDB_ABOUT: corner = {{0, 0}}; break;
    default:
      for (const auto& piece : kPieces) {
        if (piece.id != id) continue;
        std::set<std::pair<int, int>> keyed;
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 4; ++x)
            if (piece.grey[y][x] < 0) keyed.insert({x, y});
        return keyed;
      }
      return {};
  }
  std::set<std::pair<int, int>> keyed;
  for (const auto& [x, y] : corner) {
    keyed.insert({x, y});
    keyed.insert({w - 1 - x, y});
    keyed.insert({x, h - 1 - y});
    keyed.insert({w - 1 - x, h - 1 - y});
  }
  return keyed;
}

TEST(ResourceKeyColour, OnlyTheListedCornersAreTransparent) {
  // Every bitmap in the library, not only the known list.
  for (const auto& key : q7test::ListResources(q7test::Library())) {
    if (key.type != q7test::IdText(RT_BITMAP)) continue;
    const int id = std::stoi(key.name.substr(1));
    const Dib dib(id);
    ASSERT_TRUE(dib.ok) << id;
    const auto allowed = KeyedCorners(id, dib.Width(), dib.Height());
    int wrong = 0;
    for (int y = 0; y < dib.Height(); ++y) {
      for (int x = 0; x < dib.Width(); ++x) {
        const bool keyed = dib.Pixel(x, y) == kKey;
        if (keyed != (allowed.count({x, y}) > 0) && ++wrong <= 5)
          ADD_FAILURE() << "bitmap " << id << " pixel " << x << "," << y << (keyed ? " is keyed" : " is not keyed");
      }
    }
    EXPECT_EQ(wrong, 0) << "bitmap " << id;
  }
}

TEST(ResourceKeyColour, PanelStatusBandMatchesTheStatusBrush) {
  // The status line paints RGB(98,98,98) over the face at (5,159) 260 x 14; the band around
  // it must be the same grey or the text box would show as a patch.
  const Dib face(IDB_PANEL_FACE);
  ASSERT_TRUE(face.ok);
  for (int y = 157; y < 175; ++y)
    for (int x = 4; x < 270; ++x) ASSERT_EQ(face.Pixel(x, y), RGB(98, 98, 98)) << x << "," << y;
}

}  // namespace
