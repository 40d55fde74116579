// Cost per 2592 x 1944 frame, on one core, of the picture correction the hand-off applies:
// the dark frame, the flat field and the averaging each alone and together (one pass), the
// corrector's whole Apply with all three, adding a frame to a take, and the simulated sensor's
// noise, beside a plain copy of the frame (what the frame's own copy into the staging block
// costs). Each run starts right after the frame was copied into its buffer, as a new camera
// frame is.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "camera/sdk/sensor_image.h"
#include "imaging/correction_arithmetic.h"
#include "imaging/correction_file.h"
#include "imaging/frame_corrector.h"

namespace {

using namespace q7::imaging;
using Clock = std::chrono::steady_clock;
constexpr int kWidth = 2592, kHeight = 1944;
constexpr std::size_t kValues = 3u * kWidth * kHeight;
constexpr int kRuns = 31;

volatile int g_sink;  // keeps results alive

// Median ms of `work` on a buffer refilled from `source` before each run.
double MedianMs(const std::vector<std::uint8_t>& source, std::vector<std::uint8_t>& frame,
                const std::function<void()>& work) {
  std::vector<double> ms;
  for (int i = 0; i <= kRuns; ++i) {
    std::memcpy(frame.data(), source.data(), kValues);
    const auto t0 = Clock::now();
    work();
    if (i > 0) ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());  // 0: warm-up
  }
  std::sort(ms.begin(), ms.end());
  g_sink = frame[kValues / 2];
  return ms[ms.size() / 2];
}

}  // namespace

int main() {
  ::SetThreadAffinityMask(::GetCurrentThread(), 1);  // one core
  // The chart with sensor-like noise, its dark pattern and a vignetted flat field.
  q7sim::ImageSettings whole;
  whole.width = kWidth, whole.height = kHeight;
  std::vector<std::uint8_t> source(kValues), frame(kValues), copy(kValues);
  q7sim::RenderFrame(q7sim::MakeTestChart(kWidth, kHeight), whole, source.data());
  q7sim::NoiseTable(3.0).Add(source.data(), source.data(), kValues, 1);
  CorrectionPicture dark, flat;
  dark.kind = CorrectionKind::Dark, flat.kind = CorrectionKind::Flat;
  dark.width = flat.width = kWidth, dark.height = flat.height = kHeight;
  dark.frames = flat.frames = 16;
  dark.dark.assign(kValues, 0);
  q7sim::AddDarkPattern(whole, 6, dark.dark.data());
  const q7sim::Picture field = q7sim::MakeScene(q7sim::Scene::Flat, 0.4, kWidth, kHeight);
  flat.flatSum.resize(kValues);
  for (std::size_t i = 0; i < kValues; ++i) flat.flatSum[i] = static_cast<std::uint16_t>(16 * (field.pixels[i] + 6));
  std::vector<std::uint16_t> gains(kValues), mean(kValues), sums(kValues);
  ComputeFlatGains(flat.flatSum.data(), 16, dark.dark.data(), kValues / 3, gains.data());

  // The corrector as the program runs it, with the two stored and all three stages on.
  const auto folder = std::filesystem::temp_directory_path() / "q7-correction-bench";
  std::filesystem::create_directories(folder);
  SaveCorrection(folder.wstring(), dark, L"");
  SaveCorrection(folder.wstring(), flat, L"");
  double applyMs = 0;
  {
    FrameCorrector corrector(FrameCorrector::Options{folder.wstring(), L""});
    corrector.SetCorrectionOn(true);
    corrector.SetAveraging(16);
    corrector.Apply(frame.data(), 3 * kWidth, kWidth, kHeight);
    corrector.WaitUntilIdle();
    applyMs = MedianMs(source, frame, [&] { corrector.Apply(frame.data(), 3 * kWidth, kWidth, kHeight); });
    const CorrectionStatus s = corrector.Status();
    if (!s.darkApplied || !s.flatApplied)
      std::printf("(the corrector did not apply both: %d %d)\n", s.darkApplied, s.flatApplied);
  }
  std::filesystem::remove_all(folder);

  const std::uint16_t weight = MeanWeight(40, 16);
  const auto stages = [&](bool averaging, bool withDark, bool withFlat) {
    return [&, averaging, withDark, withFlat] {
      CorrectValues(frame.data(), kValues,
                    {averaging ? mean.data() : nullptr, weight, withDark ? dark.dark.data() : nullptr,
                     withFlat ? gains.data() : nullptr});
    };
  };
  struct Row {
    const char* name;
    double ms;
  };
  const double memcpyMs = MedianMs(source, frame, [&] { std::memcpy(copy.data(), frame.data(), kValues); });
  const Row rows[] = {
      {"memcpy of the frame's 15.1 MB (the frame's own copy)", memcpyMs},
      {"dark frame alone", MedianMs(source, frame, stages(false, true, false))},
      {"flat field alone", MedianMs(source, frame, stages(false, false, true))},
      {"averaging (16) alone", MedianMs(source, frame, stages(true, false, false))},
      {"dark + flat", MedianMs(source, frame, stages(false, true, true))},
      {"dark + flat + averaging, one pass", MedianMs(source, frame, stages(true, true, true))},
      {"FrameCorrector::Apply, all three", applyMs},
      {"a frame added to a take (dark frame or flat field)",
       MedianMs(source, frame, [&] { AddToSum(frame.data(), sums.data(), kValues); })},
      {"simulated sensor: noise on a frame (Q7SIM_NOISE)", MedianMs(source, frame,
                                                                    [&] {
                                                                      static const q7sim::NoiseTable noise(4.0);
                                                                      noise.Add(source.data(), frame.data(), kValues,
                                                                                7);
                                                                    })},
  };
  std::printf("Picture correction, cost per %d x %d frame on one core (median of %d, ms)\n\n", kWidth, kHeight, kRuns);
  std::printf("| %-52s | %8s | %10s |\n", "work", "ms", "x memcpy");
  std::printf("|%s|%s|%s|\n", std::string(54, '-').c_str(), std::string(9, '-').append(":").c_str(),
              std::string(11, '-').append(":").c_str());
  for (const Row& r : rows) std::printf("| %-52s | %8.2f | %10.2f |\n", r.name, r.ms, r.ms / memcpyMs);
  return 0;
}
