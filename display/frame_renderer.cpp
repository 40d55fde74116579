#include "display/frame_renderer.h"

#include <iterator>
#include <string>
#include <utility>

#include "display/overlay_text.h"
#include "display/picture_scaler.h"

namespace display {
namespace {

void StretchPicture(HDC dc, int width, int height, const FrameBlock& block, const RenderGeometry& g,
                    const DrawFrameOptions& options) {
  const int previousMode = ::SetStretchBltMode(dc, options.stretchMode);
  if (options.stretchMode == HALFTONE) ::SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE needs it reset
  ::StretchDIBits(dc, g.destX, g.destY, width, height, g.sourceX, g.sourceY, g.sourceWidth, g.sourceHeight,
                  block.Pixels(), block.Info(), DIB_RGB_COLORS, SRCCOPY);
  if (previousMode) ::SetStretchBltMode(dc, previousMode);
}

RECT DrawCaption(HDC dc, double scalePercent) {
  return DrawShadowedText(dc, 2, 1, FormatScaleCaption(scalePercent), kCaptionColour);
}

// The information line at the foot of the picture while the camera is away.
RECT DrawNoSignal(HDC dc, int viewHeight) {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  return DrawShadowedText(dc, 2, viewHeight - metrics.tmHeight - 2, L"No signal", kCaptionColour);
}

}  // namespace

void FrameRenderer::ScalePicture(const FrameBlock& block, const RenderGeometry& g) {
  const ScaleInputs inputs{block.Width(), block.Height(), back_.Width(), back_.Height(), g};
  if (!planned_ || !(plan_.inputs == inputs)) {
    plan_ = MakeScalePlan(inputs);
    planned_ = true;
  }
  ::GdiFlush();  // GDI may still be drawing the last frame's caption into these pixels
  ScaleRows(plan_, block.Pixels(), block.Stride(), back_.Bits(), back_.Stride(), 0, back_.Height());
}

FrameRenderer::FrameRenderer()
    : black_(::CreateSolidBrush(RGB(0, 0, 0))),
      navigatorBorder_(::CreatePen(PS_SOLID, 1, kNavigatorBorderColour)),
      navigatorView_(::CreatePen(PS_SOLID, 1, kNavigatorViewColour)) {}

RECT FrameRenderer::DrawNavigator(int viewWidth, const RECT& viewRect) {
  const RECT at{viewWidth - kNavigatorWidth - kNavigatorMargin, kNavigatorMargin, viewWidth - kNavigatorMargin,
                kNavigatorMargin + kNavigatorHeight};
  if (!navigator_.Fit(back_.Dc(), kNavigatorWidth, kNavigatorHeight)) return {};
  const HDC dc = navigator_.Dc();
  {
    fw::ScopedSelectObject selectBrush(dc, black_.get());
    {
      fw::ScopedSelectObject selectPen(dc, navigatorBorder_.get());
      ::Rectangle(dc, 0, 0, kNavigatorWidth, kNavigatorHeight);
    }
    fw::ScopedSelectObject selectPen(dc, navigatorView_.get());
    ::Rectangle(dc, viewRect.left, viewRect.top, viewRect.right, viewRect.bottom);
  }
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, kNavigatorAlpha, 0};
  ::AlphaBlend(back_.Dc(), at.left, at.top, kNavigatorWidth, kNavigatorHeight, dc, 0, 0, kNavigatorWidth,
               kNavigatorHeight, blend);
  return at;
}

void FrameRenderer::Present(HDC targetDc, PresentedFrame now) {
  const auto changed = ChangedSincePresented(presented_, now);
  fw::UniqueRegion clip;
  if (changed) {
    clip.reset(::CreateRectRgn(0, 0, 0, 0));
    for (const RECT& r : *changed) {
      fw::UniqueRegion part(::CreateRectRgnIndirect(&r));
      if (clip && part) ::CombineRgn(clip.get(), clip.get(), part.get(), RGN_OR);
    }
    if (clip) ::SelectClipRgn(targetDc, clip.get());
  }
  ::BitBlt(targetDc, 0, 0, now.viewWidth, now.viewHeight, back_.Dc(), 0, 0, SRCCOPY);
  if (clip) ::SelectClipRgn(targetDc, nullptr);
  presented_ = std::move(now);
}

std::optional<RenderGeometry> FrameRenderer::Draw(HDC targetDc, const RECT& client, const FrameBlock& block,
                                                  double scalePercent, PanOffset pan, const DrawFrameOptions& options) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int imageWidth = block.Width();
  const int imageHeight = block.Height();
  if (!targetDc || width <= 0 || height <= 0 || imageWidth <= 0 || imageHeight <= 0 || !(scalePercent > 0))
    return std::nullopt;

  const RenderGeometry g = ComputeRenderGeometry(imageWidth, imageHeight, width, height, scalePercent, pan.x, pan.y);
  const RECT navigator = ComputeNavigatorRect(imageWidth, imageHeight, width, height, scalePercent, g.panX, g.panY);
  if (!back_.Fit(targetDc, width, height)) return std::nullopt;

  const HDC back = back_.Dc();
  PresentedFrame frame{width, height, {}, {}};
  if (options.stretchMode == 0) {
    ScalePicture(block, g);  // writes every pixel, black around the picture
    frame.picture = {plan_.columns.begin, plan_.rows.begin, plan_.columns.end, plan_.rows.end};
  } else {
    ::PatBlt(back, 0, 0, width, height, BLACKNESS);
    StretchPicture(back, width, height, block, g, options);
  }
  const ViewPlacement placement{g, width, height, imageWidth, imageHeight, options.placement};
  if (options.measure) DrawMeasureMarks(back, placement, *options.measure, MeasureStyle{}, frame.overlays);
  frame.overlays.push_back(DrawCaption(back, scalePercent));
  int floor = height;
  if (options.overlays)
    floor = DrawLiveOverlays(back, width, height, *options.overlays, overlayScratch_, frame.overlays);
  if (options.measure) DrawScaleBar(back, placement, *options.measure, MeasureStyle{}, floor, frame.overlays);
  if (options.noSignal) frame.overlays.push_back(DrawNoSignal(back, height));
  frame.overlays.push_back(DrawNavigator(width, navigator));
  Present(targetDc, std::move(frame));
  return g;
}

std::optional<RenderGeometry> DrawFrame(HDC targetDc, const RECT& client, const FrameBlock& block, double scalePercent,
                                        PanOffset pan, const DrawFrameOptions& options) {
  FrameRenderer renderer;
  return renderer.Draw(targetDc, client, block, scalePercent, pan, options);
}

}  // namespace display
