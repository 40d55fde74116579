// Recording at full resolution (2592 x 1944): frames per second encoded and written into an
// AVI file by the recorder, with 1 and 2 encoder threads, with our JPEG encoder (libjpeg-turbo)
// and with the Windows Imaging Component's, in one run. A simulated camera publishes a
// camera-like frame far faster than any of them can record, so the figure is the recorder's
// own limit; every frame it could not keep up with is a counted drop. Then the recorder with a
// camera at 15 and 30 frames/s: what it drops and the process's CPU (no picture views). Last,
// the program's own path: the simulated camera through the capture path, a render thread
// drawing the live picture into the video window or full screen, without and with a recording.
//   recording_bench [seconds per row, default 5]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "bench/bench_window.h"
#include "camera/camera.h"
#include "display/render_thread.h"
#include "framework/com_apartment.h"
#include "imaging/wic_encoder.h"
#include "recording/recorder.h"
#include "tests/imaging/camera_like_picture.h"

using namespace q7;

namespace {

constexpr int kWidth = 2592, kHeight = 1944;

// Publishes the picture at `framesPerSecond` (0: as fast as Sleep(1) lets it), stamped with the
// real capture time; each block is filled once, the first time the exchange hands it out.
class Camera {
 public:
  Camera(FrameExchange& frames, const imaging::Image& picture, double framesPerSecond)
      : frames_(frames), picture_(picture), framesPerSecond_(framesPerSecond) {
    thread_ = std::thread([this] { Run(); });
  }
  ~Camera() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run() {
    std::unique_ptr<FrameBlock> block = frames_.EmptyBlock();
    std::set<const FrameBlock*> filled;
    LARGE_INTEGER frequency{}, start{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    for (std::uint64_t number = 1; !stop_; ++number) {
      if (framesPerSecond_ > 0) {
        const auto due = start.QuadPart + static_cast<LONGLONG>(number * frequency.QuadPart / framesPerSecond_);
        for (LARGE_INTEGER now{}; ::QueryPerformanceCounter(&now) && now.QuadPart < due && !stop_;) ::Sleep(1);
      }
      if (filled.insert(block.get()).second) {
        for (int y = 0; y < kHeight; ++y)
          std::memcpy(block->Pixels() + y * block->Stride(), picture_.Row(y), picture_.RowBytes());
      }
      LARGE_INTEGER now{};
      ::QueryPerformanceCounter(&now);
      frames_.Publish(block, {number, now.QuadPart});
      if (framesPerSecond_ <= 0) ::Sleep(1);
    }
  }

  FrameExchange& frames_;
  const imaging::Image& picture_;
  const double framesPerSecond_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// WIC's JPEG encoder on the recorder's threads: the frame copied into a picture of packed rows.
HRESULT EncodeWithWicJpeg(const FrameBlock& frame, std::vector<std::uint8_t>& jpeg) {
  thread_local const ComApartment com;
  imaging::Image picture(frame.Width(), frame.Height());
  for (int y = 0; y < picture.height; ++y)
    std::memcpy(picture.Row(y), frame.Pixels() + y * frame.Stride(), picture.RowBytes());
  return imaging::EncodeWithWic(picture, imaging::ImageFormat::Jpeg, jpeg);
}

double ProcessCpuSeconds() { return bench::SampleCpu(nullptr).process; }

// The live picture of a camera at `fps` in `view`, shown for `seconds`, first without and then
// with a recording: camera and drawn frames per second, what the recording kept and dropped,
// and the process's CPU.
void MeasureWhileShown(const bench::ViewCase& view, double fps, double seconds, const std::filesystem::path& folder) {
  wchar_t rate[16];
  std::swprintf(rate, 16, L"%g", fps);
  ::SetEnvironmentVariableW(L"Q7SIM_FPS", rate);
  AppState state;
  CCamera camera(state, [](const std::wstring&, const std::wstring&, UINT) {});
  if (!camera.Open()) return;
  fw::UniqueWindow window = bench::MakeWindow(view.width, view.height);
  state.displayScale = view.scale;
  display::RenderThread thread(state);
  thread.Start(window.get());
  camera.StartCapture();
  bench::Pump(1000);
  for (const bool recording : {false, true}) {
    std::unique_ptr<recording::Recorder> recorder;
    if (recording) {
      recording::RecorderSettings settings;
      settings.path = (folder / "shown.avi").wstring();
      std::filesystem::remove(settings.path);
      recorder = std::make_unique<recording::Recorder>(state.frames, settings);
      if (FAILED(recorder->Start())) return;
    }
    const double cpu0 = ProcessCpuSeconds();
    const std::uint64_t frames0 = state.frames.NewestNumber(), drawn0 = thread.FramesDrawn();
    const ULONGLONG t0 = ::GetTickCount64();
    bench::Pump(static_cast<DWORD>(seconds * 1000));
    const double elapsed = (::GetTickCount64() - t0) / 1000.0;
    const double cameraFps = static_cast<double>(state.frames.NewestNumber() - frames0) / elapsed;
    const double drawn = static_cast<double>(thread.FramesDrawn() - drawn0) / elapsed;
    const double cpu = 100.0 * (ProcessCpuSeconds() - cpu0) / elapsed;
    char recorded[64] = "- | -";
    if (recorder) {
      recorder->Stop();
      const recording::RecordingStatus status = recorder->Status();
      const double slots = static_cast<double>(status.frames + status.dropped);
      std::snprintf(recorded, sizeof recorded, "%.1f | %.1f", status.frames / status.elapsedSeconds,
                    slots > 0 ? 100.0 * status.dropped / slots : 0.0);
    }
    std::printf("| %s | %.0f | %s | %.1f | %.1f | %s | %.0f |\n", view.name, fps, recording ? "on" : "off", cameraFps,
                drawn, recorded, cpu);
    std::fflush(stdout);
  }
  thread.Stop();
  camera.Close();
}

struct Row {
  const char* encoder;
  int threads;
  bool wic;
  double cameraFps;  // 0: far faster than the recorder
};

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 5.0;
  const imaging::Image picture = imaging::testing::CameraLikePicture(kWidth, kHeight);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder = std::filesystem::path(temp) / "q7_recording_bench";
  std::filesystem::create_directories(folder);

  std::printf("Recording %d x %d at quality 90 (WIC: its default), %.0f s a row\n\n", kWidth, kHeight, seconds);
  std::printf(
      "| encoder | threads | camera frames/s | frames/s recorded | process CPU ms per frame | dropped %% | MB/s "
      "written | process CPU %% of a core |\n");
  std::printf("|---|--:|--:|--:|--:|--:|--:|--:|\n");
  const Row rows[] = {{"WIC JPEG", 1, true, 0},       {"WIC JPEG", 2, true, 0},        {"libjpeg-turbo", 1, false, 0},
                      {"libjpeg-turbo", 2, false, 0}, {"libjpeg-turbo", 2, false, 15}, {"libjpeg-turbo", 2, false, 30}};
  int failures = 0;
  for (const Row& row : rows) {
    FrameExchange frames;
    frames.Refit(kWidth, kHeight);
    recording::RecordingStatus status;
    double cpu = 0;
    {
      Camera camera(frames, picture, row.cameraFps);
      while (frames.NewestNumber() == 0) ::Sleep(1);
      recording::RecorderSettings settings;
      settings.path = (folder / "bench.avi").wstring();
      std::filesystem::remove(settings.path);
      settings.encoders = row.threads;
      if (row.wic) settings.encode = EncodeWithWicJpeg;
      recording::Recorder recorder(frames, settings);
      const double cpuBefore = ProcessCpuSeconds();
      if (FAILED(recorder.Start())) {
        std::printf("| %s | %d | | could not start | | | | |\n", row.encoder, row.threads);
        ++failures;
        continue;
      }
      ::Sleep(static_cast<DWORD>(seconds * 1000));
      recorder.Stop();
      status = recorder.Status();
      cpu = ProcessCpuSeconds() - cpuBefore;
    }
    if (status.end != recording::RecordingEnd::Stopped) ++failures;
    const double perSecond = status.frames / status.elapsedSeconds;
    const double slots = static_cast<double>(status.frames + status.dropped);
    const std::string camera =
        row.cameraFps > 0 ? std::to_string(static_cast<int>(row.cameraFps)) : "as fast as it can";
    std::printf("| %s | %d | %s | %.1f | %.1f | %.1f | %.1f | %.0f |\n", row.encoder, row.threads, camera.c_str(),
                perSecond, status.frames > 0 ? 1000.0 * cpu / status.frames : 0.0,
                slots > 0 ? 100.0 * status.dropped / slots : 0.0, status.bytes / 1e6 / status.elapsedSeconds,
                100.0 * cpu / status.elapsedSeconds);
  }

  std::printf(
      "\nThe program's path: the live picture drawn as the camera delivers it, without and with a recording\n\n"
      "| view | camera fps set | recording | camera frames/s | frames drawn/s | frames/s recorded | dropped %% | "
      "process CPU %% of a core |\n|---|--:|---|--:|--:|--:|--:|--:|\n");
  ::SetEnvironmentVariableW(L"Q7SIM_COPY_WHOLE_FRAMES", L"0");
  for (const double fps : {15.0, 30.0})
    for (const bench::ViewCase& view : {bench::ViewCase{"video window 468x358, 10 %", 468, 358, 10.0},
                                        bench::ViewCase{"full screen 1920x1080, 50 %", 1920, 1080, 50.0}})
      MeasureWhileShown(view, fps, seconds, folder);
  std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
