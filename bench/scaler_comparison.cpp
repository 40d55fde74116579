#include "bench/scaler_comparison.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_window.h"
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

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

// The picture as the renderer draws it today: a back buffer made for the frame, black, one
// stretch, presented. `readBack` receives the back buffer as 32-bit top-down rows.
void OldFrame(HDC windowDc, const display::ScaleInputs& in, const FrameBlock& frame, int mode,
              std::vector<std::uint8_t>* readBack = nullptr) {
  const int w = in.viewWidth, h = in.viewHeight;
  const display::RenderGeometry& g = in.geometry;
  fw::UniqueMemoryDc back(::CreateCompatibleDC(windowDc));
  fw::UniqueBitmap bitmap(::CreateCompatibleBitmap(windowDc, w, h));
  {
    fw::ScopedSelectObject select(back.get(), bitmap.get());
    ::PatBlt(back.get(), 0, 0, w, h, BLACKNESS);
    ::SetStretchBltMode(back.get(), mode);
    ::SetBrushOrgEx(back.get(), 0, 0, nullptr);
    ::StretchDIBits(back.get(), g.destX, g.destY, w, h, g.sourceX, g.sourceY, g.sourceWidth, g.sourceHeight,
                    frame.Pixels(), frame.Info(), DIB_RGB_COLORS, SRCCOPY);
    ::BitBlt(windowDc, 0, 0, w, h, back.get(), 0, 0, SRCCOPY);
  }
  if (!readBack) return;
  BITMAPINFO bi = TopDown32(w, h);
  readBack->assign(4 * static_cast<std::size_t>(w) * h, 0);
  ::GetDIBits(back.get(), bitmap.get(), 0, h, readBack->data(), &bi, DIB_RGB_COLORS);
}

// The new path's target: a 32-bit top-down DIB section of the view's size, kept across
// frames as a render thread would keep it, presented with one BitBlt.
class ScalerTarget {
 public:
  ScalerTarget(HDC windowDc, int width, int height) : width_(width), height_(height) {
    const BITMAPINFO bi = TopDown32(width, height);
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(windowDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint8_t*>(bits);
    dc_.reset(::CreateCompatibleDC(windowDc));
    select_.emplace(dc_.get(), bitmap_.get());
  }
  bool ok() const { return bits_ && dc_; }
  const std::uint8_t* bits() const { return bits_; }

  void Draw(HDC windowDc, const display::ScalePlan& plan, const FrameBlock& frame, display::ScaleWorker* worker) {
    const std::size_t stride = 4 * static_cast<std::size_t>(width_);
    if (worker)
      worker->Scale(plan, frame.Pixels(), frame.Stride(), bits_, stride);
    else
      display::ScaleRows(plan, frame.Pixels(), frame.Stride(), bits_, stride, 0, height_);
    ::BitBlt(windowDc, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
  }

 private:
  int width_, height_;
  fw::UniqueBitmap bitmap_;
  std::uint8_t* bits_ = nullptr;  // owned by bitmap_
  fw::UniqueMemoryDc dc_;
  std::optional<fw::ScopedSelectObject> select_;  // last: deselects before the DC goes
};

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
  std::vector<std::uint8_t> old;
  Quality q{};
  OldFrame(windowDc, in, frame, HALFTONE, &old);
  q.halftone = Psnr(old.data(), exact);
  OldFrame(windowDc, in, frame, COLORONCOLOR, &old);
  q.colorOnColor = Psnr(old.data(), exact);
  ScalerTarget target(windowDc, width, height);
  target.Draw(windowDc, display::MakeScalePlan(in), frame, &worker);
  ::GdiFlush();
  q.scaler = Psnr(target.bits(), exact);
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
      "\nOld stretch against the picture scaler: one frame of the %d x %d picture, centred; ms are medians of %d.\n"
      "DrawFrame is today's whole frame (with caption and navigator); the other times are the picture alone: back\n"
      "buffer, black, one StretchDIBits, BitBlt to the window, against scaling into a kept 32-bit DIB section and\n"
      "BitBlt. PSNR in dB against the exact area average rounded to whole levels, over the whole view, on the\n"
      "timed picture / on a picture of fine detail.\n\n",
      timed.Width(), timed.Height(), kRuns);
  std::printf("| %-9s | %5s | %9s | %8s | %12s | %6s | %9s | %7s | %9s | %11s | %12s | %11s |\n", "view", "scale",
              "DrawFrame", "HALFTONE", "COLORONCOLOR", "scaler", "1 thread", "plan", "HALFTONE/", "dB HALFTONE",
              "dB COLORONCO.", "dB scaler");
  std::printf("| %-9s | %5s | %9s | %8s | %12s | %6s | %9s | %7s | %9s | %11s | %12s | %11s |\n", "", "", "HALFTONE",
              "", "", "", "scaler", "", "scaler", "", "", "");
  std::printf("|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n");
  display::ScaleWorker worker;
  const int views[][2] = {{468, 358}, {1920, 1080}};
  for (const auto& [width, height] : views) {
    const fw::UniqueWindow window = MakeWindow(width, height);
    const fw::ScopedWindowDc dc(window.get());
    ScalerTarget target(dc.get(), width, height);
    if (!target.ok()) {
      std::printf("no %d x %d DIB section\n", width, height);
      continue;
    }
    for (const double scale : kScales) {
      const Centred view = CentredView(timed, width, height, scale);
      const display::ScalePlan plan = display::MakeScalePlan(view.inputs);
      const RECT client{0, 0, width, height};
      const double drawFrame = MedianMs(kRuns, [&] { display::DrawFrame(dc.get(), client, timed, scale, view.pan); });
      const double halftone = MedianMs(kRuns, [&] { OldFrame(dc.get(), view.inputs, timed, HALFTONE); });
      const double colorOnColor = MedianMs(kRuns, [&] { OldFrame(dc.get(), view.inputs, timed, COLORONCOLOR); });
      const double scaler = MedianMs(kRuns, [&] { target.Draw(dc.get(), plan, timed, &worker); });
      const double oneThread = MedianMs(kRuns, [&] { target.Draw(dc.get(), plan, timed, nullptr); });
      const double planMs = MedianMs(kRuns, [&] { (void)display::MakeScalePlan(view.inputs); });
      const Quality a = MeasureQuality(dc.get(), timed, width, height, scale, worker);
      const Quality b = MeasureQuality(dc.get(), detailed, width, height, scale, worker);
      std::printf(
          "| %4dx%-4d | %4.0f%% | %9.2f | %8.2f | %12.2f | %6.2f | %9.2f | %7.3f | %9.1f | %11s | %12s | %11s |\n",
          width, height, scale, drawFrame, halftone, colorOnColor, scaler, oneThread, planMs, halftone / scaler,
          Decibels(a.halftone, b.halftone).c_str(), Decibels(a.colorOnColor, b.colorOnColor).c_str(),
          Decibels(a.scaler, b.scaler).c_str());
      std::fflush(stdout);
    }
  }
}

}  // namespace bench
