// Live picture benchmark: with the simulated camera at 15 and 30 frames/s, how many distinct
// pictures reach the screen each second and what the whole process costs, with the old
// drawing loop (the sensor copying whole frames, a HALFTONE stretch whenever the frame-ready
// flag is up, 2 ms pauses) and as it is (the sensor drawing only what moves, our scaler once
// per new frame or change, woken by the redraw signal), and as it is with every
// live-information view on, and with every overlay on (the live views and the measuring
// overlays: grid, crosshair, calibrated scale bar, eight measured lines). Both run on the
// frame exchange of today. Then at 30 frames/s with the picture correction's dark frame, flat
// field and averaging 16 on as well.
//
//   screen_rate_bench [seconds per measurement, default 4] [correction: only the last part]
//
// Distinct pictures are counted the way a user sees them: the screen under the picture's
// centre is read back every 2 ms and each change counts once (the ball and the frame
// counter move on every frame). CPU is measured in a separate pass without that reading.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_window.h"
#include "camera/camera.h"
#include "display/frame_renderer.h"
#include "display/render_thread.h"
#include "imaging/correction_file.h"
#include "imaging/frame_corrector.h"
#include "state/app_state.h"

namespace {

double Now() {
  LARGE_INTEGER t, f;
  ::QueryPerformanceCounter(&t);
  ::QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The loop the program had: a whole HALFTONE frame whenever the flag is up, 2 ms apart.
class OldRenderLoop {
 public:
  OldRenderLoop(AppState& state, HWND view) : state_(state), view_(view), thread_([this] { Run(); }) {
    started_.wait(nullptr);
  }
  ~OldRenderLoop() {
    stop_ = true;
    thread_.join();
    fw::UniqueKernelHandle owned(started_.load());  // closes the thread's handle
  }
  std::uint64_t Drawn() const { return drawn_; }
  HANDLE Thread() const { return started_.load(); }

 private:
  void Run() {
    HANDLE self = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &self, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    started_ = self;
    started_.notify_one();
    fw::ScopedWindowDc dc(view_);
    while (!stop_) {
      if (!state_.frameReady) {
        ::Sleep(30);
        continue;
      }
      ::Sleep(2);
      RECT client{};
      ::GetClientRect(view_, &client);
      display::DrawFrameOptions options;
      options.stretchMode = HALFTONE;
      if (const FrameExchange::Lease frame = state_.frames.Read())
        if (display::DrawFrame(dc.get(), client, frame.Block(), state_.displayScale, {state_.panX, state_.panY},
                               options))
          ++drawn_;
    }
  }
  AppState& state_;
  HWND view_;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> drawn_{0};
  std::atomic<HANDLE> started_{nullptr};  // the drawing thread, for its CPU time
  std::thread thread_;
};

struct Measured {
  double cameraFps = 0;
  double drawsPerSecond = 0;
  double cpuPercent = 0;
  double renderCpuPercent = -1;  // the drawing thread's; below 0: none
  double distinctPerSecond = 0;
};

// Counts changes of the screen under `view` for `seconds`: the whole of a small view, the
// middle ninth of a large one (reading all of it would take longer than a frame lasts).
double DistinctPicturesPerSecond(HWND view, double seconds) {
  RECT r{};
  ::GetWindowRect(view, &r);
  const bool small = (r.right - r.left) * (r.bottom - r.top) <= 640 * 480;
  const int w = (r.right - r.left) / (small ? 1 : 3), h = (r.bottom - r.top) / (small ? 1 : 3);
  const int x = r.left + (small ? 0 : w), y = r.top + (small ? 0 : h);
  bench::ScreenArea screen({x, y, x + w, y + h});
  std::vector<std::uint32_t> last(static_cast<std::size_t>(w) * h);
  int changes = 0;
  const double end = Now() + seconds;
  while (Now() < end) {
    const std::uint32_t* now = screen.Read();
    if (!std::equal(last.begin(), last.end(), now)) {
      ++changes;
      std::copy(now, now + last.size(), last.begin());
    }
    ::Sleep(2);
  }
  return changes / seconds;
}

// The thread that draws and how many frames it drew; none for the camera alone.
struct Drawer {
  std::function<std::uint64_t()> drawn = [] { return std::uint64_t{0}; };
  HANDLE thread = nullptr;
};

// With `countPictures`, a second pass of `seconds` counts the distinct pictures on the screen.
Measured Measure(AppState& state, HWND view, double seconds, const Drawer& drawer, bool countPictures = true) {
  Measured m;
  bench::Pump(500);  // settle
  const double t0 = Now();
  const bench::CpuSample cpu0 = bench::SampleCpu(drawer.thread);
  const auto frames0 = state.frames.NewestNumber();
  const auto draws0 = drawer.drawn();
  bench::Pump(static_cast<DWORD>(seconds * 1000));
  const double elapsed = Now() - t0;
  const bench::CpuSample cpu = bench::SampleCpu(drawer.thread);
  m.cpuPercent = 100.0 * (cpu.process - cpu0.process) / elapsed;
  if (drawer.thread) m.renderCpuPercent = 100.0 * (cpu.thread - cpu0.thread) / elapsed;
  m.cameraFps = static_cast<double>(state.frames.NewestNumber() - frames0) / elapsed;
  m.drawsPerSecond = (drawer.drawn() - draws0) / elapsed;
  m.distinctPerSecond = countPictures ? DistinctPicturesPerSecond(view, seconds) : -1.0;
  return m;
}

// The pan that puts the lowest bit of the simulated chart's central frame counter (a cell of
// 16 x 16 pixels centred at 1576, 965 from the top left of the full sensor), which changes on
// every frame, in the middle of a view of `width` x `height` at `scale`, mirrored as `record`
// says. A view of the whole picture ignores it. The pan offset counts in picture pixels divided
// by the scale (the view starts pan x s pixels from the picture's left edge, and from its
// bottom edge upwards).
display::PanOffset CentredOnFrameCounter(const PropertyRecord& record, int width, int height, double scale) {
  const double s = scale / 100.0;
  const int x = record.flipHorizontal ? kSensorWidth - 1576 : 1576;
  const int y = record.flipVertical ? kSensorHeight - 965 : 965;
  const double left = x - width / (2.0 * s), bottom = kSensorHeight - y - height / (2.0 * s);
  return {static_cast<int>(left / s), static_cast<int>(bottom / s)};
}

// A window of the view's size, the view's zoom, panned onto the frame counter.
fw::UniqueWindow ShowView(AppState& state, const CCamera& camera, const bench::ViewCase& v) {
  fw::UniqueWindow window = bench::MakeWindow(v.width, v.height);
  state.displayScale = v.scale;
  const display::PanOffset pan = CentredOnFrameCounter(camera.CurrentRecord(), v.width, v.height, v.scale);
  state.panX = pan.x;
  state.panY = pan.y;
  bench::Pump(300);
  return window;
}

// The measuring overlays on, calibrated, with eight lines measured around the chart's middle;
// or all off and no lines. Set directly: the bench stores no choice of the user's.
void SwitchMeasuringOverlays(AppState& state, bool on) {
  Measuring& m = state.measuring;
  m.scaleBar = m.crosshair = m.grid = on;
  CalibrationSet set;
  if (on) {
    set.items = {{L"10x", 2.2}};
    set.inUse = L"10x";
  }
  m.calibrations.Set(set);
  m.measurements.Clear();
  for (int i = 0; on && i < 8; ++i) {
    m.measurements.Begin({1000.0 + 40 * i, 800.0});
    m.measurements.Extend({1200.0 + 40 * i, 1150.0 - 20 * i});
    m.measurements.Finish(true);
  }
  state.redraw.Notify();
}

// One row of the table.
void PrintRow(const char* view, double fps, const char* loop, const Measured& m) {
  char distinct[16] = "-", renderCpu[16] = "-";
  if (m.distinctPerSecond >= 0) std::snprintf(distinct, sizeof distinct, "%.1f", m.distinctPerSecond);
  if (m.renderCpuPercent >= 0) std::snprintf(renderCpu, sizeof renderCpu, "%.1f", m.renderCpuPercent);
  std::printf("| %s | %.0f | %s | %.1f | %.1f | %s | %s | %.1f |\n", view, fps, loop, m.cameraFps, m.drawsPerSecond,
              distinct, renderCpu, m.cpuPercent);
}

}  // namespace

// The camera at 30 frames/s with the picture correction's three stages on, as the hand-off
// applies them: a dark frame and a flat field stored for the full picture, and averaging 16.
void MeasureCorrected(double seconds, const bench::ViewCase& small, const bench::ViewCase& large) {
  using namespace q7::imaging;
  ::SetEnvironmentVariableW(L"Q7SIM_FPS", L"30");
  ::SetEnvironmentVariableW(L"Q7SIM_COPY_WHOLE_FRAMES", L"0");
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"q7-screen-rate-correction";
  for (const CorrectionKind kind : {CorrectionKind::Dark, CorrectionKind::Flat}) {
    CorrectionPicture p;
    p.kind = kind, p.width = kSensorWidth, p.height = kSensorHeight, p.frames = 16;
    if (kind == CorrectionKind::Dark) p.dark.assign(p.Values(), 2);
    if (kind == CorrectionKind::Flat) p.flatSum.assign(p.Values(), 16 * 150);
    SaveCorrection(folder, p, L"");
  }
  FrameCorrector corrector(FrameCorrector::Options{folder, L""});
  AppState state;
  CCamera camera(
      state, [](const std::wstring&, const std::wstring&, UINT) {}, &corrector);
  if (!camera.Open()) return;
  camera.StartCapture();
  for (const bench::ViewCase& v : {small, large}) {
    const fw::UniqueWindow window = ShowView(state, camera, v);
    display::RenderThread thread(state);
    const Drawer drawer{[&] { return thread.FramesDrawn(); }, thread.Start(window.get())};
    state.live.showInfoLine = state.live.showHistogram = state.live.showFocus = true;
    for (const bool on : {false, true}) {
      corrector.SetCorrectionOn(on);
      corrector.SetAveraging(on ? 16 : 0);
      bench::Pump(300);
      const Measured m = Measure(state, window.get(), seconds, drawer);
      if (on && !(corrector.Status().darkApplied && corrector.Status().flatApplied))
        std::printf("(the correction was not applied)\n");
      PrintRow(v.name, 30, on ? "new, live views on, dark + flat + averaging 16" : "new, live views on, correction off",
               m);
    }
    thread.Stop();
  }
  camera.Close();
  for (const CorrectionKind kind : {CorrectionKind::Dark, CorrectionKind::Flat})
    ::DeleteFileW((folder + L"\\" + CorrectionFileName(kind, kSensorWidth, kSensorHeight, L"")).c_str());
  ::RemoveDirectoryW(folder.c_str());
}

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 4.0;
  const bool correctionOnly = argc > 2 && std::string(argv[2]) == "correction";
  const bench::ViewCase views[] = {{"video window 468x358, 10 %", 468, 358, 10.0},
                                   {"video window 468x358, 100 %", 468, 358, 100.0},
                                   {"video window 468x358, 300 %", 468, 358, 300.0},
                                   {"full screen 1920x1080, 50 %", 1920, 1080, 50.0}};
  std::printf(
      "| view | camera fps set | loop | camera frames/s | draws/s | distinct pictures on screen/s | drawing thread "
      "CPU %% | process CPU %% |\n");
  std::printf("|---|--:|---|--:|--:|--:|--:|--:|\n");
  for (const double fps : {15.0, 30.0}) {
    if (correctionOnly) break;
    wchar_t value[16];
    std::swprintf(value, 16, L"%g", fps);
    ::SetEnvironmentVariableW(L"Q7SIM_FPS", value);
    // As it was: the simulated sensor copied a whole frame for each image and the old loop
    // drew. As it is: the sensor redraws only what moves and the render thread draws.
    for (const bool old : {true, false}) {
      ::SetEnvironmentVariableW(L"Q7SIM_COPY_WHOLE_FRAMES", old ? L"1" : L"0");
      AppState state;
      CCamera camera(state, [](const std::wstring&, const std::wstring&, UINT) {});
      if (!camera.Open()) {
        std::printf("no camera\n");
        return 1;
      }
      camera.StartCapture();
      {
        // What the simulated sensor and the capture path cost with nothing drawn: the part of
        // the process's CPU that is the camera's, not the picture's.
        fw::UniqueWindow window = bench::MakeWindow(64, 64);
        const Measured m = Measure(state, window.get(), seconds, Drawer{}, false);
        PrintRow("no view (camera and capture only)", fps, old ? "none, as it was" : "none", m);
      }
      for (const bench::ViewCase& v : views) {
        const fw::UniqueWindow window = ShowView(state, camera, v);
        if (old) {
          OldRenderLoop loop(state, window.get());
          const Drawer drawer{[&] { return loop.Drawn(); }, loop.Thread()};
          PrintRow(v.name, fps, "old", Measure(state, window.get(), seconds, drawer));
          continue;
        }
        display::RenderThread thread(state);
        const Drawer drawer{[&] { return thread.FramesDrawn(); }, thread.Start(window.get())};
        PrintRow(v.name, fps, "new", Measure(state, window.get(), seconds, drawer));
        // The same with the information line, the histogram and the focus aid on.
        state.live.showInfoLine = state.live.showHistogram = state.live.showFocus = true;
        PrintRow(v.name, fps, "new, live views on", Measure(state, window.get(), seconds, drawer));
        SwitchMeasuringOverlays(state, true);
        PrintRow(v.name, fps, "new, every overlay on", Measure(state, window.get(), seconds, drawer));
        SwitchMeasuringOverlays(state, false);
        state.live.showInfoLine = state.live.showHistogram = state.live.showFocus = false;
        thread.Stop();
      }
      std::fflush(stdout);
      camera.Close();
    }
  }
  MeasureCorrected(seconds, views[0], views[3]);
  return 0;
}
