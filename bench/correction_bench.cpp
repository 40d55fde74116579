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

struct Row {
  const char* name;
  std::function<void()> work;
  std::vector<double> ms = {};
};

// Runs every row once per round, each on a buffer just refilled from `source`, so a busy moment
// of the machine falls on all rows alike; the first round warms up.
void Measure(const std::vector<std::uint8_t>& source, std::vector<std::uint8_t>& frame, std::vector<Row>& rows) {
  for (int round = 0; round <= kRuns; ++round) {
    for (Row& row : rows) {
      std::memcpy(frame.data(), source.data(), kValues);
      const auto t0 = Clock::now();
      row.work();
      if (round > 0) row.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
  }
  for (Row& row : rows) std::sort(row.ms.begin(), row.ms.end());
  g_sink = frame[kValues / 2];
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
  FrameCorrector corrector(FrameCorrector::Options{folder.wstring(), L""});
  corrector.SetCorrectionOn(true);
  corrector.SetAveraging(16);
  corrector.Apply(frame.data(), 3 * kWidth, kWidth, kHeight);
  corrector.WaitUntilIdle();

  const std::uint16_t weight = MeanWeight(40, 16);
  const CorrectionPlanes darkOnly = LayOutPlanes(dark.dark.data(), nullptr, kValues);
  const CorrectionPlanes flatOnly = LayOutPlanes(nullptr, gains.data(), kValues);
  const CorrectionPlanes both = LayOutPlanes(dark.dark.data(), gains.data(), kValues);
  const auto stages = [&](bool averaging, const CorrectionPlanes* planes) {
    return [&, averaging, planes] {
      CorrectValues(frame.data(), kValues, {averaging ? mean.data() : nullptr, weight, planes});
    };
  };
  // The scalar definition of every value, for comparison.
  const auto sideBySide = [&] {
    for (std::size_t i = 0; i < kValues; ++i) {
      frame[i] = CorrectValue(frame[i], nullptr, 0, &dark.dark[i], &gains[i]);
    }
  };
  static const q7sim::NoiseTable noise(4.0);
  std::vector<Row> rows = {
      {"memcpy of the frame's 15.1 MB (the frame's own copy)",
       [&] { std::memcpy(copy.data(), frame.data(), kValues); }},
      {"dark frame alone", stages(false, &darkOnly)},
      {"flat field alone", stages(false, &flatOnly)},
      {"averaging (16) alone", stages(true, nullptr)},
      {"dark + flat", stages(false, &both)},
      {"dark + flat + averaging, one pass", stages(true, &both)},
      {"dark + flat, scalar (the definition)", sideBySide},
      {"FrameCorrector::Apply, all three", [&] { corrector.Apply(frame.data(), 3 * kWidth, kWidth, kHeight); }},
      {"a frame added to a take (dark frame or flat field)", [&] { AddToSum(frame.data(), sums.data(), kValues); }},
      {"simulated sensor: noise on a frame (Q7SIM_NOISE)", [&] { noise.Add(source.data(), frame.data(), kValues, 7); }},
  };
  Measure(source, frame, rows);
  const CorrectionStatus status = corrector.Status();
  if (!status.darkApplied || !status.flatApplied) std::printf("(the corrector did not apply both)\n");
  std::filesystem::remove_all(folder);

  const double memcpyMs = rows[0].ms[rows[0].ms.size() / 2];
  std::printf("Picture correction, cost per %d x %d frame on one core (%d rounds, ms)\n\n", kWidth, kHeight, kRuns);
  std::printf("| %-52s | %8s | %8s | %10s |\n", "work", "median", "best", "x memcpy");
  std::printf("|%s|---------:|---------:|-----------:|\n", std::string(54, '-').c_str());
  for (const Row& r : rows) {
    const double median = r.ms[r.ms.size() / 2];
    std::printf("| %-52s | %8.2f | %8.2f | %10.2f |\n", r.name, median, r.ms.front(), median / memcpyMs);
  }
  return 0;
}
