// Capture path benchmark: how fast images get from the camera SDK into the frame exchange at
// every resolution, what the copy out of the SDK's request costs next to a plain memcpy of
// the same size, what handing the staged frame on costs while a reader holds the current
// frame (the exchange gives out a spare block) and while none does (the previous frame's
// block comes back), and how long a finished request takes to show in the frame-ready flag.
//
//   capture_bench [--quick]
//
// Runs on the simulated camera at its highest rate (Q7SIM_FPS, default here 1000), so the
// sensor thread competes for the CPU as a USB transfer would. The settings record found in
// the registry is applied again at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "state/app_state.h"

namespace {

double TicksToMs(double ticks) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return ticks * 1000.0 / frequency;
}

std::int64_t Now() {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double PlainCopyMs(std::size_t bytes, int repeats) {
  std::vector<std::uint8_t> from(bytes, 1), to(bytes, 0);
  std::vector<double> ms;
  for (int i = 0; i < repeats; ++i) {
    const std::int64_t start = Now();
    std::memcpy(to.data(), from.data(), bytes);
    ms.push_back(TicksToMs(static_cast<double>(Now() - start)));
    from[i % bytes] = static_cast<std::uint8_t>(i);  // keep the copies from being folded away
  }
  return Median(ms) + (to[0] == 255 ? 1e-9 : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  const int framesWanted = quick ? 3 : 40;
  const double secondsLimit = quick ? 3.0 : 4.0;
  if (::GetEnvironmentVariableA("Q7SIM_FPS", nullptr, 0) == 0) ::SetEnvironmentVariableA("Q7SIM_FPS", "1000");

  AppState state;
  state.frames.Refit(640, 480);
  CCamera camera(state, [](const std::wstring& text, const std::wstring& caption, UINT) {
    std::fwprintf(stderr, L"%ls: %ls\n", caption.c_str(), text.c_str());
  });
  if (!camera.Open()) return 1;
  const PropertyRecord found = camera.CurrentRecord();
  // The hand-off pass runs at the priority the program gives it.
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);

  std::printf("%-11s %8s %14s %12s | %-7s %8s %18s %10s | %-7s %8s %18s %10s\n", "resolution", "MB/frame",
              "SDK->staging ms", "memcpy ms", "hand-on", "frames/s", "staging->buffer ms", "latency ms", "hand-on",
              "frames/s", "staging->buffer ms", "latency ms");
  for (int index = 0; index < kResolutionCount; ++index) {
    PropertyRecord r = camera.CurrentRecord();
    r.resolutionIndex = index;
    camera.ApplyProperties(r, false);
    const std::size_t bytes = state.frames.Read().Block().PixelBytes();
    char name[16];
    std::snprintf(name, sizeof name, "%dx%d", kResolutions[index].width, kResolutions[index].height);
    std::vector<double> store;
    std::string columns;
    // First with a reader holding a frame (a picture view drawing), then without.
    for (const bool held : {true, false}) {
      FrameExchange::Lease reader;
      if (held) reader = state.frames.Read();
      if (!camera.StartAcquisition()) return 2;
      // The hand-off pass of the program, timed: one grab, then the flag.
      const auto pass = [&](std::int64_t& flaggedAt) {
        if (held) reader = state.frames.Read();
        const bool ready = camera.GrabFrame(state.frames);
        state.frameReady = ready ? 1 : 0;
        flaggedAt = Now();
        return ready;
      };
      std::int64_t flaggedAt = 0;
      for (int i = 0; i < 2; ++i) pass(flaggedAt);  // warm-up: first frames of the new size

      std::vector<double> grab, latency;
      int frames = 0;
      const std::int64_t start = Now();
      double elapsed = 0.0;
      while (frames < framesWanted && elapsed < secondsLimit * 1000.0) {
        if (pass(flaggedAt)) {
          ++frames;
          const CaptureTiming t = camera.LastCaptureTiming();
          store.push_back(TicksToMs(static_cast<double>(t.storeCopy)));
          grab.push_back(TicksToMs(static_cast<double>(t.grabCopy)));
          latency.push_back(TicksToMs(static_cast<double>(flaggedAt - t.grabbedRequestAt)));
        }
        elapsed = TicksToMs(static_cast<double>(Now() - start));
      }
      camera.StopAcquisition();
      const double fps = elapsed > 0.0 ? frames * 1000.0 / elapsed : 0.0;
      char cells[96];
      std::snprintf(cells, sizeof cells, " | %-7s %8.1f %18.2f %10.2f", held ? "held" : "free", fps, Median(grab),
                    Median(latency));
      columns += cells;
    }
    std::printf("%-11s %8.2f %14.2f %12.2f%s\n", name, bytes / 1e6, Median(store), PlainCopyMs(bytes, quick ? 3 : 15),
                columns.c_str());
    std::fflush(stdout);
  }
  camera.ApplyProperties(found, false);
  camera.Close();
  return 0;
}
