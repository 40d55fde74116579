// Cost of drawing the live picture: one whole frame (back buffer, stretch, caption,
// navigator, present) of a 2592 x 1944 camera picture into the video window's 468 x 358
// picture and into a 1920 x 1080 screen, against the bare stretch in both stretch modes and
// a plain copy of the frame, and the measuring overlays (grid, crosshair, scale bar and eight
// measured lines) with the frame and alone; then the CPU the render thread takes while frames flow and
// while the camera is stopped; then the old stretch against the picture scaler at 10 to
// 200 % (scaler_comparison.h). Prints tables; run under Wine on a display.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_window.h"
#include "bench/scaler_comparison.h"
#include "camera/sdk/sensor_image.h"
#include "display/dib_surface.h"
#include "display/frame_renderer.h"
#include "display/measure_overlays.h"
#include "display/render_thread.h"
#include "framework/handles.h"
#include "state/app_state.h"

namespace {

using Clock = std::chrono::steady_clock;

void FillPattern(FrameBlock& block) {
  for (int y = 0; y < block.Height(); ++y) {
    std::uint8_t* row = block.Pixels() + block.Stride() * static_cast<std::size_t>(y);
    for (int x = 0; x < block.Width(); ++x) {
      row[3 * x] = static_cast<std::uint8_t>(x);
      row[3 * x + 1] = static_cast<std::uint8_t>(y);
      row[3 * x + 2] = static_cast<std::uint8_t>(x ^ y);
    }
  }
}

// The bare stretch of the whole picture into a back buffer of the view's size.
double StretchOnlyMs(HDC windowDc, int width, int height, const FrameBlock& block, int mode, int runs) {
  fw::UniqueMemoryDc dc(::CreateCompatibleDC(windowDc));
  fw::UniqueBitmap bitmap(::CreateCompatibleBitmap(windowDc, width, height));
  fw::ScopedSelectObject select(dc.get(), bitmap.get());
  ::SetStretchBltMode(dc.get(), mode);
  ::SetBrushOrgEx(dc.get(), 0, 0, nullptr);
  return bench::MedianMs(runs, [&] {
    ::StretchDIBits(dc.get(), 0, 0, width, height, 0, 0, block.Width(), block.Height(), block.Pixels(), block.Info(),
                    DIB_RGB_COLORS, SRCCOPY);
  });
}

// Every measuring overlay, calibrated, with eight lines around the chart's middle.
display::MeasureOverlays EveryMeasuringOverlay() {
  display::MeasureOverlays o;
  o.scaleBar = o.crosshair = o.grid = true;
  o.micronsPerPixel = 2.2;
  for (int i = 0; i < 8; ++i) o.lines.push_back({{1000.0 + 40 * i, 800.0}, {1200.0 + 40 * i, 1150.0 - 20 * i}});
  return o;
}

// The overlays alone, onto a back buffer of the view's size, as the renderer draws them.
double MeasuringOverlaysMs(HDC windowDc, int width, int height, double scale, int runs) {
  display::DibSurface back;
  if (!back.Fit(windowDc, width, height)) return -1;
  const display::MeasureOverlays overlays = EveryMeasuringOverlay();
  const display::ViewPlacement view = display::PlaceView(width, height, 2592, 1944, scale, {0, 0}, {});
  std::vector<RECT> drawn;
  return bench::MedianMs(runs, [&] {
    drawn.clear();
    display::DrawMeasureMarks(back.Dc(), view, overlays, {}, drawn);
    display::DrawScaleBar(back.Dc(), view, overlays, {}, height, drawn);
    ::GdiFlush();
  });
}

double DrawFrameMs(HDC windowDc, int width, int height, const FrameBlock& block, double scale, int mode, int runs,
                   const display::MeasureOverlays* measure = nullptr) {
  display::DrawFrameOptions options;
  options.stretchMode = mode;
  options.measure = measure;
  const RECT client{0, 0, width, height};
  display::FrameRenderer renderer;  // kept between frames, as the render thread keeps it
  return bench::MedianMs(runs, [&] { renderer.Draw(windowDc, client, block, scale, {0, 0}, options); });
}

}  // namespace

int main() {
  FrameBlock frame(2592, 1944, 24);
  FillPattern(frame);
  constexpr int kRuns = 15;

  std::printf("One frame of a 2592 x 1944 picture (median of %d, ms)\n\n", kRuns);
  std::printf("| %-54s | %9s | %9s |\n", "work", "468x358", "1920x1080");
  std::printf("|%s|%s|%s|\n", std::string(56, '-').c_str(), std::string(11, '-').c_str(), std::string(11, '-').c_str());

  struct View {
    int w, h;
    double wholeScale;  // a scale at which the whole picture fits the view
    fw::UniqueWindow wnd;
  };
  View views[] = {{468, 358, 10 * std::floor(468.0 / 2592 * 10), {}}, {1920, 1080, 50, {}}};
  for (auto& v : views) v.wnd = bench::MakeWindow(v.w, v.h);

  const auto row = [&](const char* name, const std::function<double(View&, HDC)>& measure) {
    double ms[2];
    for (int i = 0; i < 2; ++i) {
      fw::ScopedWindowDc dc(views[i].wnd.get());
      ms[i] = measure(views[i], dc.get());
    }
    std::printf("| %-54s | %9.2f | %9.2f |\n", name, ms[0], ms[1]);
  };
  row("whole frame, our scaler, whole picture (scale 10 / 50 %)",
      [&](View& v, HDC dc) { return DrawFrameMs(dc, v.w, v.h, frame, v.wholeScale, 0, kRuns); });
  row("whole frame, our scaler, scale 100 % (a 1:1 crop)",
      [&](View& v, HDC dc) { return DrawFrameMs(dc, v.w, v.h, frame, 100, 0, kRuns); });
  const display::MeasureOverlays measuring = EveryMeasuringOverlay();
  row("whole frame, our scaler, 100 %, every measuring overlay",
      [&](View& v, HDC dc) { return DrawFrameMs(dc, v.w, v.h, frame, 100, 0, kRuns, &measuring); });
  row("measuring overlays alone, whole picture (10 / 50 %)",
      [&](View& v, HDC dc) { return MeasuringOverlaysMs(dc, v.w, v.h, v.wholeScale, kRuns); });
  row("measuring overlays alone, 100 %",
      [&](View& v, HDC dc) { return MeasuringOverlaysMs(dc, v.w, v.h, 100, kRuns); });
  row("whole frame, HALFTONE, whole picture (scale 10 / 50 %)",
      [&](View& v, HDC dc) { return DrawFrameMs(dc, v.w, v.h, frame, v.wholeScale, HALFTONE, kRuns); });
  row("whole frame, HALFTONE, scale 100 % (a 1:1 crop)",
      [&](View& v, HDC dc) { return DrawFrameMs(dc, v.w, v.h, frame, 100, HALFTONE, kRuns); });
  row("whole frame, COLORONCOLOR, whole picture",
      [&](View& v, HDC dc) { return DrawFrameMs(dc, v.w, v.h, frame, v.wholeScale, COLORONCOLOR, kRuns); });
  row("stretch only, HALFTONE, whole picture",
      [&](View& v, HDC dc) { return StretchOnlyMs(dc, v.w, v.h, frame, HALFTONE, kRuns); });
  row("stretch only, COLORONCOLOR, whole picture",
      [&](View& v, HDC dc) { return StretchOnlyMs(dc, v.w, v.h, frame, COLORONCOLOR, kRuns); });
  {
    std::vector<std::uint8_t> copy(frame.PixelBytes());
    const double ms = bench::MedianMs(kRuns, [&] { std::memcpy(copy.data(), frame.Pixels(), copy.size()); });
    std::printf("| %-54s | %9.2f | %9s |\n", "memcpy of the frame's 15.1 MB of pixels", ms, "same");
  }

  // The render thread's CPU, in the video window's picture size, at the whole-picture scale,
  // while nothing new comes: it draws once and then waits (screen_rate_bench measures it with
  // frames flowing).
  AppState state;
  state.frames.Refit(2592, 1944);
  {
    auto block = state.frames.EmptyBlock();
    FillPattern(*block);
    state.frames.Publish(block, {1, 0});
  }
  state.displayScale = views[0].wholeScale;
  constexpr DWORD kSampleMs = 3000;
  std::printf("\nRender thread CPU over %lu ms, 468 x 358 view, scale %.0f %%\n\n", kSampleMs, views[0].wholeScale);
  std::printf("| %-26s | %10s | %12s | %12s |\n", "camera", "draws/s", "thread CPU %", "process CPU %");
  std::printf("|%s|%s|%s|%s|\n", std::string(28, '-').c_str(), std::string(12, '-').c_str(),
              std::string(14, '-').c_str(), std::string(15, '-').c_str());
  display::RenderThread thread(state);
  for (const int ready : {1, 0}) {
    state.frameReady = ready;
    const HANDLE h = thread.Start(views[0].wnd.get());
    bench::Pump(300);  // settle
    const bench::CpuSample a = bench::SampleCpu(h);
    const auto frames0 = thread.FramesDrawn();
    const auto t0 = Clock::now();
    bench::Pump(kSampleMs);
    const bench::CpuSample b = bench::SampleCpu(h);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double fps = static_cast<double>(thread.FramesDrawn() - frames0) / wall;
    std::printf("| %-26s | %10.1f | %12.1f | %13.1f |\n", ready ? "flag up, no new frame" : "stopped (frame-ready 0)",
                fps, 100.0 * (b.thread - a.thread) / wall, 100.0 * (b.process - a.process) / wall);
    thread.Stop();
  }

  // The simulated camera's test chart: what the viewer shows without a camera.
  const q7sim::Picture chart = q7sim::MakeTestChart(frame.Width(), frame.Height());
  FrameBlock chartFrame(chart.width, chart.height, 24);
  for (int y = 0; y < chart.height; ++y)
    std::memcpy(chartFrame.Pixels() + chartFrame.Stride() * y, chart.pixels.data() + chart.Stride() * y,
                chart.Stride());
  bench::PrintScalerComparison(chartFrame, frame);
  return 0;
}
