#pragma once
// Drawing of the border-skinned frame and of its resize band.
#include <windows.h>

#include <array>

namespace skin {

// The eight frame pieces in their fixed order.
enum BorderPieceIndex : size_t {
  kPieceTop,
  kPieceBottom,
  kPieceLeft,
  kPieceRight,
  kPieceTopLeft,
  kPieceTopRight,
  kPieceBottomLeft,
  kPieceBottomRight,
  kPieceCount
};

struct BorderPiece {
  HBITMAP bitmap;  // not owned
  SIZE size;
};
using BorderPieces = std::array<BorderPiece, kPieceCount>;

// Composes the frame over (0, 0, size): the interior filled with `fill` inside a one-pixel
// black outline, the edges stretched along their length, the corners last and unscaled.
void ComposeFrame(HDC dc, SIZE size, COLORREF fill, const BorderPieces& pieces);

// Draws `band` as a dotted XOR outline; drawing the same band again removes it.
void DrawResizeBand(HDC dc, const RECT& band);

}  // namespace skin
