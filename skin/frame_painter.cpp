#include "skin/frame_painter.h"

#include "framework/handles.h"

namespace skin {

void ComposeFrame(HDC dc, SIZE size, COLORREF fill, const BorderPieces& pieces) {
  {
    fw::UniqueBrush brush(::CreateSolidBrush(fill));
    fw::ScopedSelectObject useBrush(dc, brush.get());
    fw::ScopedSelectObject usePen(dc, ::GetStockObject(BLACK_PEN));
    ::Rectangle(dc, 0, 0, size.cx, size.cy);
  }
  fw::UniqueMemoryDc pieceDc(::CreateCompatibleDC(dc));
  const int W = size.cx;
  const int H = size.cy;
  auto stretch = [&](BorderPieceIndex i, int x, int y, int cx, int cy) {
    const BorderPiece& p = pieces[i];
    fw::ScopedSelectObject use(pieceDc.get(), p.bitmap);
    ::StretchBlt(dc, x, y, cx, cy, pieceDc.get(), 0, 0, p.size.cx, p.size.cy, SRCCOPY);
  };
  auto copy = [&](BorderPieceIndex i, int x, int y) {
    const BorderPiece& p = pieces[i];
    fw::ScopedSelectObject use(pieceDc.get(), p.bitmap);
    ::BitBlt(dc, x, y, p.size.cx, p.size.cy, pieceDc.get(), 0, 0, SRCCOPY);
  };
  stretch(kPieceLeft, 0, 0, pieces[kPieceLeft].size.cx, H);
  stretch(kPieceRight, W - pieces[kPieceRight].size.cx, 0, pieces[kPieceRight].size.cx, H);
  stretch(kPieceTop, 0, 0, W, pieces[kPieceTop].size.cy);
  stretch(kPieceBottom, 0, H - pieces[kPieceBottom].size.cy, W, pieces[kPieceBottom].size.cy);
  copy(kPieceTopLeft, 0, 0);
  copy(kPieceTopRight, W - pieces[kPieceTopRight].size.cx, 0);
  copy(kPieceBottomLeft, 0, H - pieces[kPieceBottomLeft].size.cy);
  copy(kPieceBottomRight, W - pieces[kPieceBottomRight].size.cx, H - pieces[kPieceBottomRight].size.cy);
}

void DrawResizeBand(HDC dc, const RECT& band) {
  fw::UniquePen pen(::CreatePen(PS_DOT, 1, RGB(0, 0, 0)));
  fw::ScopedSelectObject usePen(dc, pen.get());
  const int oldRop = ::SetROP2(dc, R2_XORPEN);
  // A black pen XORs to nothing; the dots show because the gaps are drawn in the opaque
  // white background colour, which inverts what lies beneath.
  const int oldMode = ::SetBkMode(dc, OPAQUE);
  const COLORREF oldBk = ::SetBkColor(dc, RGB(255, 255, 255));
  const POINT path[] = {{band.left, band.top},
                        {band.right, band.top},
                        {band.right, band.bottom},
                        {band.left, band.bottom},
                        {band.left, band.top}};
  ::Polyline(dc, path, 5);
  ::SetBkColor(dc, oldBk);
  ::SetBkMode(dc, oldMode);
  ::SetROP2(dc, oldRop);
}

}  // namespace skin
