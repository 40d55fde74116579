#include "bench/scaler_comparison.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "bench/bench_window.h"
#include "display/dib_surface.h"
#include "display/frame_renderer.h"
#include "display/picture_scaler.h"
#include "display/scale_reference.h"
#include "display/scale_worker.h"

namespace bench {
namespace {

constexpr int kRuns = 21;
constexpr double kScales[] = {10, 20, 50, 100, 200};

struct Centred {
  display::PanOffset pan;
  display::ScaleInputs inputs;
};

// The pan offset that puts the source rectangle in the middle of the picture (away from the
// 1:1 copy from row 0, which Wine takes from the wrong end of a top-down picture).
Centred CentredView(const FrameBlock& frame, int width, int height, double scale) {
  const int w = frame.Width(), h = frame.Height();
  const display::RenderGeometry atZero = display::ComputeRenderGeometry(w, h, width, height, scale, 0, 0);
  const double s = scale / 100;
  const display::PanOffset pan{static_cast<int>(std::max(w - atZero.sourceWidth, 0) / 2 / s),
                               static_cast<int>(std::max(h - atZero.sourceHeight, 0) / 2 / s)};
  return {pan, {w, h, width, height, display::ComputeRenderGeometry(w, h, width, height, scale, pan.x, pan.y)}};
}

// The picture as the renderer draws it today: a back buffer made for the frame, black, one
// stretch, presented. `readBack` receives the back buffer as 32-bit top-down rows.
void OldFrame(HDC windowDc, const display::ScaleInputs& in, const FrameBlock& frame, int mode,
              display::DibSurface* readBack = nullptr) {
  const int w = in.viewWidth, h = in.viewHeight;
  const display::RenderGeometry& g = in.geometry;
  fw::UniqueMemoryDc back(::CreateCompatibleDC(windowDc));
  fw::UniqueBitmap bitmap(::CreateCompatibleBitmap(windowDc, w, h));
  fw::ScopedSelectObject select(back.get(), bitmap.get());
  ::PatBlt(back.get(), 0, 0, w, h, BLACKNESS);
  ::SetStretchBltMode(back.get(), mode);
  ::SetBrushOrgEx(back.get(), 0, 0, nullptr);
  ::StretchDIBits(back.get(), g.destX, g.destY, w, h, g.sourceX, g.sourceY, g.sourceWidth, g.sourceHeight,
                  frame.Pixels(), frame.Info(), DIB_RGB_COLORS, SRCCOPY);
  ::BitBlt(windowDc, 0, 0, w, h, back.get(), 0, 0, SRCCOPY);
  if (readBack) ::BitBlt(readBack->Dc(), 0, 0, w, h, back.get(), 0, 0, SRCCOPY);
}

// The new path: scaling into a surface kept across frames, as a render thread would keep
// it, presented with one BitBlt.
void NewFrame(HDC windowDc, display::DibSurface& surface, const display::ScalePlan& plan, const FrameBlock& frame,
              display::ScaleWorker* worker) {
  ::GdiFlush();  // the last present has read the pixels
  if (worker)
    worker->Scale(plan, frame.Pixels(), frame.Stride(), surface.Bits(), surface.Stride());
  else
    display::ScaleRows(plan, frame.Pixels(), frame.Stride(), surface.Bits(), surface.Stride(), 0, surface.Height());
  ::BitBlt(windowDc, 0, 0, surface.Width(), surface.Height(), surface.Dc(), 0, 0, SRCCOPY);
}

// Against the exact area average rounded to whole levels, over every pixel of the view.
double Psnr(const std::uint8_t* bgrx, const display::ReferencePicture& exact) {
  double squares = 0;
  for (int y = 0; y < exact.height; ++y) {
    for (int x = 0; x < exact.width; ++x) {
      const std::uint8_t* p = bgrx + 4 * (static_cast<std::size_t>(y) * exact.width + x);
      for (int k = 0; k < 3; ++k) {
        const double d = p[k] - std::round(exact.At(x, y, k));
        squares += d * d;
      }
    }
  }
  if (squares == 0) return std::numeric_limits<double>::infinity();
  return 10 * std::log10(255.0 * 255.0 * 3.0 * exact.width * exact.height / squares);
}

// PSNR of the two old modes and the new path on one picture.
struct Quality {
  double halftone, colorOnColor, scaler;
};

Quality MeasureQuality(HDC windowDc, const FrameBlock& frame, int width, int height, double scale,
                       display::ScaleWorker& worker) {
  const display::ScaleInputs in = CentredView(frame, width, height, scale).inputs;
  const display::ReferencePicture exact = display::ReferenceAreaAverage(frame.Pixels(), frame.Stride(), in);
  display::DibSurface surface;
  surface.Fit(windowDc, width, height);
  Quality q{};
  OldFrame(windowDc, in, frame, HALFTONE, &surface);
  ::GdiFlush();
  q.halftone = Psnr(surface.Bits(), exact);
  OldFrame(windowDc, in, frame, COLORONCOLOR, &surface);
  ::GdiFlush();
  q.colorOnColor = Psnr(surface.Bits(), exact);
  NewFrame(windowDc, surface, display::MakeScalePlan(in), frame, &worker);
  q.scaler = Psnr(surface.Bits(), exact);
  return q;
}

std::string Decibels(double timed, double detailed) {
  char text[32];
  const auto one = [](double db) { return std::isinf(db) ? std::string("inf") : std::to_string(std::lround(db)); };
  std::snprintf(text, sizeof text, "%s / %s", one(timed).c_str(), one(detailed).c_str());
  return text;
}

}  // namespace

void PrintScalerComparison(const FrameBlock& timed, const FrameBlock& detailed) {
  std::printf(
      "\nOld stretch against the picture scaler: one frame of the %d x %d picture, centred; medians of %d runs\n"
      "taken in turns, ms. DrawFrame is today's whole frame (with caption and navigator); the other times are the\n"
      "picture alone: a back buffer, black, one StretchDIBits and a BitBlt to the window, against scaling into a\n"
      "kept 32-bit DIB section and a BitBlt (that BitBlt alone in its own column). PSNR in dB against the exact\n"
      "area average rounded to whole levels, over the whole view: on the timed picture / on a picture of fine "
      "detail.\n\n",
      timed.Width(), timed.Height(), kRuns);
  std::printf("| %-9s | %5s | %9s | %8s | %12s | %6s | %8s | %6s | %6s | %8s | %11s | %12s | %9s |\n", "view", "scale",
              "DrawFrame", "HALFTONE", "COLORONCOLOR", "scaler", "scaler,", "BitBlt", "plan", "HALFTONE", "dB HALFTONE",
              "dB COLORON.", "dB scaler");
  std::printf("| %-9s | %5s | %9s | %8s | %12s | %6s | %8s | %6s | %6s | %8s | %11s | %12s | %9s |\n", "", "",
              "HALFTONE", "", "", "", "1 thread", "alone", "", "/ scaler", "", "", "");
  std::printf("|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n");
  display::ScaleWorker worker;
  const int views[][2] = {{468, 358}, {1920, 1080}};
  for (const auto& [width, height] : views) {
    const fw::UniqueWindow window = MakeWindow(width, height);
    const fw::ScopedWindowDc dc(window.get());
    display::DibSurface target;
    if (!target.Fit(dc.get(), width, height)) {
      std::printf("no %d x %d DIB section\n", width, height);
      continue;
    }
    for (const double scale : kScales) {
      const Centred view = CentredView(timed, width, height, scale);
      const display::ScalePlan plan = display::MakeScalePlan(view.inputs);
      const RECT client{0, 0, width, height};
      // In the order of the table's columns.
      enum { kDrawFrame, kHalftone, kColorOnColor, kScaler, kOneThread, kPresent, kPlan };
      const std::vector<double> ms =
          MediansInTurnsMs(kRuns, {
                                      [&] { display::DrawFrame(dc.get(), client, timed, scale, view.pan); },
                                      [&] { OldFrame(dc.get(), view.inputs, timed, HALFTONE); },
                                      [&] { OldFrame(dc.get(), view.inputs, timed, COLORONCOLOR); },
                                      [&] { NewFrame(dc.get(), target, plan, timed, &worker); },
                                      [&] { NewFrame(dc.get(), target, plan, timed, nullptr); },
                                      [&] { ::BitBlt(dc.get(), 0, 0, width, height, target.Dc(), 0, 0, SRCCOPY); },
                                      [&] { (void)display::MakeScalePlan(view.inputs); },
                                  });
      const Quality a = MeasureQuality(dc.get(), timed, width, height, scale, worker);
      const Quality b = MeasureQuality(dc.get(), detailed, width, height, scale, worker);
      std::printf(
          "| %4dx%-4d | %4.0f%% | %9.2f | %8.2f | %12.2f | %6.2f | %8.2f | %6.2f | %6.3f | %8.1f | %11s | %12s | %9s "
          "|\n",
          width, height, scale, ms[kDrawFrame], ms[kHalftone], ms[kColorOnColor], ms[kScaler], ms[kOneThread],
          ms[kPresent], ms[kPlan], ms[kHalftone] / ms[kScaler], Decibels(a.halftone, b.halftone).c_str(),
          Decibels(a.colorOnColor, b.colorOnColor).c_str(), Decibels(a.scaler, b.scaler).c_str());
      std::fflush(stdout);
    }
  }
}

}  // namespace bench
