// Cost per frame of the live-information statistics on a 2592 x 1944 frame: the histogram,
// the focus figure, the frame-rate meter and the texts and layouts drawn from them, each
// alone and all together, beside the same work on every pixel and a plain copy of the frame.
// Each measurement starts right after the frame was copied into its buffer, as a new camera
// frame is. Two pictures: the simulated camera's test chart (large flat areas, the hard case
// for a histogram) and the chart with sensor-like noise.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "camera/sdk/sensor_image.h"
#include "display/focus_measure.h"
#include "display/frame_histogram.h"
#include "display/histogram_panel.h"
#include "display/picture_point.h"
#include "display/render_geometry.h"
#include "display/statistics_text.h"
#include "panel/black_picture.h"
#include "state/frame_rate_meter.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 2592, kHeight = 1944;
constexpr int kRuns = 31;
constexpr std::size_t kStride = (3 * kWidth + 3) / 4 * 4;

// A frame as the frame buffer holds it, refilled from `source` before every run.
struct Frame {
  std::vector<std::uint8_t> source, pixels;
  display::BgrPicture Picture() const { return {pixels.data(), kWidth, kHeight, kStride}; }
};

Frame MakeFrame(bool noisy) {
  const q7sim::Picture chart = q7sim::MakeTestChart(kWidth, kHeight);
  Frame f;
  f.source.assign(kStride * kHeight, 0);
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 3.0);
  for (int y = 0; y < kHeight; ++y) {
    const std::uint8_t* from = chart.pixels.data() + chart.Stride() * y;
    std::uint8_t* to = f.source.data() + kStride * y;
    for (int i = 0; i < 3 * kWidth; ++i)
      to[i] = noisy ? static_cast<std::uint8_t>(std::clamp(from[i] + noise(random), 0.0, 255.0)) : from[i];
  }
  f.pixels = f.source;
  return f;
}

double MedianMs(Frame& frame, const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i <= kRuns; ++i) {
    std::memcpy(frame.pixels.data(), frame.source.data(), frame.source.size());
    const auto t0 = Clock::now();
    work();
    if (i > 0) ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());  // 0: warm-up
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

volatile double g_sink;  // keeps results alive

}  // namespace

int main() {
  Frame frames[] = {MakeFrame(false), MakeFrame(true)};
  const RECT whole{0, 0, kWidth, kHeight};
  // The video window's 468 x 358 picture at 100 %, centred: what the focus aid measures when zoomed in.
  const RECT crop{(kWidth - 468) / 2, (kHeight - 358) / 2, (kWidth + 468) / 2, (kHeight + 358) / 2};
  const auto geometry = display::ComputeRenderGeometry(kWidth, kHeight, 468, 358, 10, 0, 0);

  FrameRateMeter meter;
  std::uint64_t delivered = 0;
  display::FocusPeak peak;
  auto time = Clock::time_point{};
  const auto meterWork = [&](const display::BgrPicture&) {
    time += std::chrono::milliseconds(66);
    meter.OnDelivered(time, kStride * kHeight, ++delivered);
    meter.OnShown(time, delivered);
    g_sink = meter.Read(time).cameraPerSecond;
  };
  const auto textWork = [&](const display::BgrPicture& p) {
    display::InfoLineValues v;
    v.rates = meter.Read(time);
    v.width = kWidth, v.height = kHeight, v.exposureUs = 20000;
    const auto pixel = display::ViewToPicture(geometry, 468, 358, kWidth, kHeight, POINT{200, 150});
    if (pixel)
      v.pointer = display::PointerProbe{display::PictureToSensor(*pixel, kWidth, kHeight, {0, 0, true, true}),
                                        display::ColourAt(p, *pixel).value_or(display::PixelColour{})};
    g_sink = static_cast<double>(display::FormatInfoLine(v).size());
  };
  const auto histogramWork = [&](const display::BgrPicture& p) { return display::ComputeHistogram(p); };
  const auto focusWork = [&](const display::BgrPicture& p) {
    peak.Add(display::ComputeFocusMeasure(p, display::VisiblePictureRect(geometry, kWidth, kHeight)), kWidth, kHeight);
    g_sink = peak.Value() + static_cast<double>(display::FormatFocus(peak.Value(), peak.Peak()).size());
  };

  struct Row {
    const char* name;
    std::function<void(const display::BgrPicture&)> work;
  };
  const Row rows[] = {
      {"histogram, one pixel in 16 (used)", [&](const display::BgrPicture& p) { g_sink = histogramWork(p).samples; }},
      {"histogram, every pixel",
       [&](const display::BgrPicture& p) { g_sink = display::ComputeHistogram(p, 1).samples; }},
      {"histogram panel layout and text",
       [&](const display::BgrPicture&) {
         static const display::FrameHistogram h = display::ComputeHistogram(frames[0].Picture());
         g_sink = display::LayoutHistogramPanel(h, 358).curves[0].points[9].y;
       }},
      {"focus, whole picture, grid of 160 000 (used)", focusWork},
      {"focus, whole picture, every pixel",
       [&](const display::BgrPicture& p) { g_sink = display::ComputeFocusMeasure(p, whole, 1); }},
      {"focus, 468 x 358 at 100 % (one pixel in 4)",
       [&](const display::BgrPicture& p) { g_sink = display::ComputeFocusMeasure(p, crop); }},
      {"frame-rate meter: delivered, shown, read", meterWork},
      {"information line with the pointer", textWork},
      {"all together (used: histogram, panel, focus, meter, line)",
       [&](const display::BgrPicture& p) {
         const display::FrameHistogram h = histogramWork(p);
         g_sink = display::LayoutHistogramPanel(h, 358).curves[0].points[9].y;
         focusWork(p);
         meterWork(p);
         textWork(p);
       }},
      {"black-picture mean, one pixel in 256 (once a second)",
       [&](const display::BgrPicture& p) { g_sink = MeanBrightness(p); }},
      {"memcpy of the frame's 15.1 MB (reference)",
       [&](const display::BgrPicture&) {
         static std::vector<std::uint8_t> copy(kStride * kHeight);
         std::memcpy(copy.data(), frames[0].source.data(), copy.size());
         g_sink = copy[12345];
       }},
  };

  std::printf("Cost per frame at %d x %d, one core (median of %d, ms)\n\n", kWidth, kHeight, kRuns);
  std::printf("| %-58s | %10s | %10s |\n", "statistic", "chart", "noisy chart");
  std::printf("|%s|%s|%s|\n", std::string(60, '-').c_str(), std::string(12, '-').c_str(), std::string(12, '-').c_str());
  for (const Row& row : rows) {
    double ms[2];
    for (int i = 0; i < 2; ++i) ms[i] = MedianMs(frames[i], [&] { row.work(frames[i].Picture()); });
    std::printf("| %-58s | %10.3f | %10.3f |\n", row.name, ms[0], ms[1]);
  }
  return 0;
}
