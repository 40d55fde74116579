#include "display/frame_renderer.h"

#include <mutex>
#include <string>

#include "framework/handles.h"

namespace display {
namespace {

void FillBlack(HDC dc, int width, int height) {
  fw::UniqueBrush brush(::CreateSolidBrush(RGB(0, 0, 0)));
  fw::UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  fw::ScopedSelectObject selectBrush(dc, brush.get());
  fw::ScopedSelectObject selectPen(dc, pen.get());
  ::Rectangle(dc, 0, 0, width, height);
}

void StretchPicture(HDC dc, int width, int height, const FrameBlock& block, const RenderGeometry& g,
                    const DrawFrameOptions& options) {
  std::unique_lock<CCriticalSection> frameLock;
  if (options.frameLock) frameLock = std::unique_lock(*options.frameLock);
  const int previousMode = ::SetStretchBltMode(dc, options.stretchMode);
  if (options.stretchMode == HALFTONE) ::SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE needs it reset
  ::StretchDIBits(dc, g.destX, g.destY, width, height, g.sourceX, g.sourceY, g.sourceWidth, g.sourceHeight,
                  block.Pixels(), block.Info(), DIB_RGB_COLORS, SRCCOPY);
  if (previousMode) ::SetStretchBltMode(dc, previousMode);
}

void DrawCaption(HDC dc, double scalePercent) {
  const std::wstring text = FormatScaleCaption(scalePercent);
  const int length = static_cast<int>(text.size());
  ::SetBkMode(dc, TRANSPARENT);
  ::TextOutW(dc, 3, 2, text.c_str(), length);  // shadow in the default black
  ::SetTextColor(dc, kCaptionColour);
  ::TextOutW(dc, 2, 1, text.c_str(), length);
}

void DrawNavigator(HDC compatibleDc, HDC backDc, int viewWidth, const RECT& viewRect) {
  fw::UniqueMemoryDc dc(::CreateCompatibleDC(compatibleDc));
  fw::UniqueBitmap bitmap(::CreateCompatibleBitmap(compatibleDc, kNavigatorWidth, kNavigatorHeight));
  if (!dc || !bitmap) return;
  fw::UniqueBrush black(::CreateSolidBrush(RGB(0, 0, 0)));
  fw::UniquePen border(::CreatePen(PS_SOLID, 1, kNavigatorBorderColour));
  fw::UniquePen view(::CreatePen(PS_SOLID, 1, kNavigatorViewColour));
  {
    fw::ScopedSelectObject selectBitmap(dc.get(), bitmap.get());
    {
      fw::ScopedSelectObject selectBrush(dc.get(), black.get());
      {
        fw::ScopedSelectObject selectPen(dc.get(), border.get());
        ::Rectangle(dc.get(), 0, 0, kNavigatorWidth, kNavigatorHeight);
      }
      fw::ScopedSelectObject selectPen(dc.get(), view.get());
      ::Rectangle(dc.get(), viewRect.left, viewRect.top, viewRect.right, viewRect.bottom);
    }
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, kNavigatorAlpha, 0};
    ::AlphaBlend(backDc, viewWidth - kNavigatorWidth - kNavigatorMargin, kNavigatorMargin, kNavigatorWidth,
                 kNavigatorHeight, dc.get(), 0, 0, kNavigatorWidth, kNavigatorHeight, blend);
  }
}

}  // namespace

std::optional<RenderGeometry> DrawFrame(HDC targetDc, const RECT& client, const FrameBlock& block, double scalePercent,
                                        PanOffset pan, const DrawFrameOptions& options) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int imageWidth = block.Width();
  const int imageHeight = block.Height();
  if (!targetDc || width <= 0 || height <= 0 || imageWidth <= 0 || imageHeight <= 0 || !(scalePercent > 0))
    return std::nullopt;

  const RenderGeometry g = ComputeRenderGeometry(imageWidth, imageHeight, width, height, scalePercent, pan.x, pan.y);
  const RECT navigator = ComputeNavigatorRect(imageWidth, imageHeight, width, height, scalePercent, g.panX, g.panY);

  fw::UniqueMemoryDc back(::CreateCompatibleDC(targetDc));
  fw::UniqueBitmap backBitmap(::CreateCompatibleBitmap(targetDc, width, height));
  if (!back || !backBitmap) return std::nullopt;
  {
    fw::ScopedSelectObject selectBack(back.get(), backBitmap.get());
    FillBlack(back.get(), width, height);
    StretchPicture(back.get(), width, height, block, g, options);
    DrawCaption(back.get(), scalePercent);
    DrawNavigator(targetDc, back.get(), width, navigator);
    ::BitBlt(targetDc, 0, 0, width, height, back.get(), 0, 0, SRCCOPY);
  }
  return g;
}

}  // namespace display
