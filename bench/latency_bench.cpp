// Sensor-to-screen latency: the simulated camera logs the time each frame was complete
// (Q7SIM_FRAME_LOG); this program shows the live picture as the program does (the capture
// path, the frame exchange and a render thread drawing into a window of the view's size),
// reads the screen about every millisecond, decodes the chart's frame counter in what is
// shown, and reports for each frame the delay from its completion to its first appearance:
// median, 95th percentile and worst. A watcher reads each frame as it is published, so the
// delay splits into the capture path's part (sensor to frame exchange) and the picture's
// part (frame exchange to screen: waking the render thread, scaling, presenting, X).
//
//   latency_bench [seconds per measurement, default 10]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_window.h"
#include "camera/camera.h"
#include "camera/sdk/frame_log.h"
#include "display/render_geometry.h"
#include "display/render_thread.h"
#include "state/app_state.h"

namespace {

using mvIMPACT::acquire::detail::PreciseFileTimeNow;

// The chart's central frame counter on the full sensor: 16 cells of 16 x 16 pixels, bit 0 on
// the right, its cell's top-left corner at (1616 - (bit + 2) * 24, 957).
POINT CounterCellCentre(int bit) { return {1616 - (bit + 2) * 24 + 8, 957 + 8}; }

// Where a picture pixel's centre lands in a view drawn with `g` (the inverse of the view's
// pointer lookup), as a fraction of view pixels.
POINT PictureToView(const display::RenderGeometry& g, int viewWidth, int viewHeight, int pictureHeight, POINT p) {
  const double topRow = pictureHeight - g.sourceY - g.sourceHeight;
  const double x = (p.x + 0.5 - g.sourceX) * viewWidth / g.sourceWidth + g.destX - 0.5;
  const double y = (p.y + 0.5 - topRow) * viewHeight / g.sourceHeight + g.destY - 0.5;
  return {static_cast<LONG>(x + 0.5), static_cast<LONG>(y + 0.5)};
}

// Reads the counter off a picture: the cells' centres in some coordinates, and a pixel reader.
template <typename Pixel>
std::optional<unsigned> DecodeCounter(const POINT (&at)[16], Pixel green) {
  unsigned value = 0;
  for (int bit = 0; bit < 16; ++bit) {
    const int g = green(at[bit]);
    if (g < 0) return std::nullopt;
    if (g > 100) value |= 1u << bit;
  }
  return value;
}

struct Seen {
  unsigned counter;
  std::uint64_t time;  // FILETIME units
};

// Polls the screen under the counter's cells every millisecond or so and notes each new value.
class ScreenWatcher {
 public:
  explicit ScreenWatcher(const POINT (&screenCells)[16]) {
    std::copy(std::begin(screenCells), std::end(screenCells), cells_);
    RECT box{cells_[0].x, cells_[0].y, cells_[0].x + 1, cells_[0].y + 1};
    for (const POINT& p : cells_) {
      box.left = std::min(box.left, p.x), box.top = std::min(box.top, p.y);
      box.right = std::max(box.right, p.x + 1), box.bottom = std::max(box.bottom, p.y + 1);
    }
    box_ = box;
    thread_ = std::thread([this] { Run(); });
  }
  ~ScreenWatcher() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  const std::vector<Seen>& Changes() const { return seen_; }

 private:
  void Run() {
    bench::ScreenArea screen(box_);
    const int w = screen.Width();
    POINT local[16];
    for (int i = 0; i < 16; ++i) local[i] = {cells_[i].x - box_.left, cells_[i].y - box_.top};
    std::optional<unsigned> last;
    while (!stop_) {
      const std::uint32_t* pixels = screen.Read();
      const std::uint64_t now = PreciseFileTimeNow();
      const auto value =
          DecodeCounter(local, [&](POINT p) { return static_cast<int>((pixels[p.y * w + p.x] >> 8) & 0xFF); });
      // A value is taken when it follows the last one closely: a read that caught the screen
      // half updated decodes to something unrelated and is skipped.
      if (value && value != last && (!last || ((*value - *last) & 0xFFFF) <= 32)) {
        seen_.push_back({*value, now});
        last = value;
      }
      ::Sleep(1);
    }
  }

  POINT cells_[16]{};
  RECT box_{};
  std::atomic<bool> stop_{false};
  std::vector<Seen> seen_;  // the watcher thread's until Stop
  std::thread thread_;
};

// Reads each frame as it is published and notes when, with the counter decoded from its pixels.
class PublicationWatcher {
 public:
  explicit PublicationWatcher(const FrameExchange& frames) : frames_(frames), thread_([this] { Run(); }) {}
  ~PublicationWatcher() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  const std::vector<Seen>& Published() const { return seen_; }

 private:
  void Run() {
    POINT cells[16];
    for (int bit = 0; bit < 16; ++bit) cells[bit] = CounterCellCentre(bit);
    std::uint64_t number = frames_.NewestNumber();
    while (!stop_) {
      const FrameExchange::Lease frame = frames_.WaitForNewer(number, std::chrono::milliseconds(100));
      if (!frame) continue;
      const std::uint64_t now = PreciseFileTimeNow();
      number = frame.Stamp().number;
      const FrameBlock& block = frame.Block();
      if (block.Width() != kSensorWidth) continue;
      const auto value = DecodeCounter(
          cells, [&](POINT p) { return static_cast<int>(block.Pixels()[p.y * block.Stride() + p.x * 3 + 1]); });
      if (value) seen_.push_back({*value, now});
    }
  }

  const FrameExchange& frames_;
  std::atomic<bool> stop_{false};
  std::vector<Seen> seen_;
  std::thread thread_;
};

// Frame number -> completion time, from the simulated sensor's log.
std::vector<std::pair<std::uint64_t, std::uint64_t>> ReadFrameLog(const std::wstring& path) {
  std::vector<std::pair<std::uint64_t, std::uint64_t>> log;
  std::ifstream in(std::string(path.begin(), path.end()));
  std::uint64_t number = 0, time = 0;
  while (in >> number >> time) log.emplace_back(number, time);
  return log;
}

// Delays in ms from each logged frame's completion to the first sighting of its counter at or
// after that time (the newest frame of that counter value logged before the sighting).
std::vector<double> Delays(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& log,
                           const std::vector<Seen>& seen) {
  std::map<unsigned, std::vector<std::uint64_t>> byCounter;  // counter -> completion times, rising
  for (const auto& [number, time] : log) byCounter[static_cast<unsigned>(number & 0xFFFF)].push_back(time);
  std::vector<double> delays;
  for (const Seen& s : seen) {
    const auto it = byCounter.find(s.counter);
    if (it == byCounter.end()) continue;
    const auto after = std::upper_bound(it->second.begin(), it->second.end(), s.time);
    if (after == it->second.begin()) continue;
    delays.push_back(static_cast<double>(s.time - *std::prev(after)) / 10000.0);
  }
  return delays;
}

struct Summary {
  std::size_t count = 0;
  double median = 0, p95 = 0, worst = 0;
};
Summary Summarise(std::vector<double> v) {
  Summary s;
  s.count = v.size();
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  s.median = v[v.size() / 2];
  s.p95 = v[std::min(v.size() - 1, v.size() * 95 / 100)];
  s.worst = v.back();
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;
  const bench::ViewCase views[] = {{"video window 468x358, 100 %", 468, 358, 100.0},
                                   {"full screen 1920x1080, 50 %", 1920, 1080, 50.0}};
  wchar_t temp[MAX_PATH] = L"";
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring logPath = std::wstring(temp) + L"q7_latency_frames.log";
  ::SetEnvironmentVariableW(L"Q7SIM_FRAME_LOG", logPath.c_str());
  ::SetEnvironmentVariableW(L"Q7SIM_COPY_WHOLE_FRAMES", L"0");

  std::printf(
      "| view | camera fps | frame time ms | frames logged | frames seen | sensor to screen: median ms | p95 ms | "
      "worst ms | p95 / frame time | sensor to frame exchange: median ms | p95 ms | frame exchange to screen: "
      "median ms | p95 ms |\n|---|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|--:|\n");
  for (const double fps : {15.0, 30.0}) {
    wchar_t value[16];
    std::swprintf(value, 16, L"%g", fps);
    ::SetEnvironmentVariableW(L"Q7SIM_FPS", value);
    for (const bench::ViewCase& v : views) {
      ::DeleteFileW(logPath.c_str());
      AppState state;
      CCamera camera(state, [](const std::wstring&, const std::wstring&, UINT) {});
      if (!camera.Open()) {
        std::printf("no camera\n");
        return 1;
      }
      PropertyRecord record = camera.CurrentRecord();
      record.resolutionIndex = 0;  // the full sensor
      record.flipHorizontal = record.flipVertical = 0;
      camera.ApplyProperties(record, false);
      fw::UniqueWindow window = bench::MakeWindow(v.width, v.height);
      state.displayScale = v.scale;
      // Pan so that the counter sits in the middle of the view (a view of the whole picture
      // ignores it).
      const int visibleWidth = static_cast<int>(v.width * 100.0 / v.scale);
      const int visibleHeight = static_cast<int>(v.height * 100.0 / v.scale);
      state.panX = 1396 - visibleWidth / 2;
      state.panY = kSensorHeight - 965 - visibleHeight / 2;
      const display::RenderGeometry g = display::ComputeRenderGeometry(kSensorWidth, kSensorHeight, v.width, v.height,
                                                                       v.scale, state.panX, state.panY);
      state.panX = g.panX;
      state.panY = g.panY;
      POINT origin{0, 0};
      ::ClientToScreen(window.get(), &origin);
      POINT screenCells[16];
      for (int bit = 0; bit < 16; ++bit) {
        const POINT at = PictureToView(g, v.width, v.height, kSensorHeight, CounterCellCentre(bit));
        screenCells[bit] = {origin.x + at.x, origin.y + at.y};
      }
      display::RenderThread thread(state);
      thread.Start(window.get());
      camera.StartCapture();
      bench::Pump(1000);  // settle
      PublicationWatcher published(state.frames);
      ScreenWatcher screen(screenCells);
      bench::Pump(static_cast<DWORD>(seconds * 1000));
      screen.Stop();
      published.Stop();
      thread.Stop();
      camera.Close();  // writes the rest of the log
      const auto log = ReadFrameLog(logPath);
      const Summary total = Summarise(Delays(log, screen.Changes()));
      const Summary capture = Summarise(Delays(log, published.Published()));
      // The picture's part: from each frame's publication to its first sighting on the screen.
      std::map<unsigned, std::uint64_t> publishedAt;
      for (const Seen& s : published.Published()) publishedAt.emplace(s.counter, s.time);
      std::vector<double> picture;
      for (const Seen& s : screen.Changes()) {
        const auto it = publishedAt.find(s.counter);
        if (it != publishedAt.end() && s.time >= it->second) picture.push_back((s.time - it->second) / 10000.0);
      }
      const Summary shown = Summarise(picture);
      const double frameMs = 1000.0 / fps;
      std::printf("| %s | %.0f | %.1f | %zu | %zu | %.1f | %.1f | %.1f | %.2f | %.1f | %.1f | %.1f | %.1f |\n", v.name,
                  fps, frameMs, log.size(), total.count, total.median, total.p95, total.worst, total.p95 / frameMs,
                  capture.median, capture.p95, shown.median, shown.p95);
      std::fflush(stdout);
    }
  }
  ::DeleteFileW(logPath.c_str());
  return 0;
}
