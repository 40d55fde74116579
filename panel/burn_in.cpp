#include "panel/burn_in.h"

#include <cstdio>
#include <cstring>

#include "framework/handles.h"
#include "state/frame_block.h"

std::wstring FormatTimeStamp(const SYSTEMTIME& t) {
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

std::optional<BurnIn> CurrentBurnIn(const AppState& state) {
  const Measuring& measuring = state.measuring;
  if (!measuring.burnIn.load()) return std::nullopt;
  BurnIn burnIn;
  burnIn.overlays.scaleBar = true;  // the saved picture says its own scale, whatever the view shows
  burnIn.overlays.lines = measuring.measurements.Lines();
  if (const auto calibration = measuring.calibrations.InUse())
    burnIn.overlays.micronsPerPixel = calibration->micronsPerPixel;
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  burnIn.overlays.timeStamp = FormatTimeStamp(now);
  burnIn.placement = display::SensorPlacementOf(state.live);
  return burnIn;
}

std::wstring BurnIntoFrame(std::vector<std::uint8_t>& frame, const BurnIn& burnIn) {
  if (frame.size() < sizeof(BITMAPINFOHEADER)) return L"There is no picture to draw into.";
  const std::optional<CopiedFrameLayout> copied = LayoutOfCopiedFrame(frame);
  if (!copied) return L"The picture is not one the scale bar can be drawn into.";
  const FrameLayout& layout = copied->layout;
  const std::size_t offset = copied->pixelOffset;
  const int width = layout.width, height = layout.height;

  // A DIB section of the frame's own layout, so the rows go in and out in one copy each.
  BITMAPINFO info{};
  std::memcpy(&info.bmiHeader, frame.data(), sizeof info.bmiHeader);
  void* bits = nullptr;
  fw::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  fw::UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !bitmap || !bits) return L"There was not enough memory to draw the scale bar into the picture.";
  std::memcpy(bits, frame.data() + offset, layout.imageSize);
  {
    fw::ScopedSelectObject selectBitmap(dc.get(), bitmap.get());
    display::MeasureStyle style = display::StyleForSavedPicture(width, height);
    fw::UniqueFont font(::CreateFontW(-display::SavedPictureFontHeight(height), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
    style.font = font.get();
    // The picture at its own size: one saved pixel per sensor pixel.
    const display::ViewPlacement whole =
        display::PlaceView(width, height, width, height, 100.0, {0, 0}, burnIn.placement);
    std::vector<RECT> drawn;
    display::DrawMeasureMarks(dc.get(), whole, burnIn.overlays, style, drawn);
    display::DrawScaleBar(dc.get(), whole, burnIn.overlays, style, height, drawn);
    ::GdiFlush();
  }
  std::memcpy(frame.data() + offset, bits, layout.imageSize);
  return {};
}
