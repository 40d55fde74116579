// How long the user-interface thread is busy for one snapshot of a 2592 x 1944 frame: saving on
// that thread, as the panel did before the worker, against copying the frame and handing the
// copy to the worker, which it does now; and what the encoders' progress reports cost.
//   snapshot_bench [--runs N]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "imaging/image_file.h"
#include "panel/snapshot_worker.h"
#include "tests/imaging/camera_like_picture.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace imaging = q7::imaging;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Row {
  imaging::ImageFormat format;
  const wchar_t* extension;
  const char* name;
};

constexpr Row kRows[] = {
    {imaging::ImageFormat::Bmp, L"bmp", "BMP"},   {imaging::ImageFormat::Gif, L"gif", "GIF"},
    {imaging::ImageFormat::Jpeg, L"jpg", "JPEG"}, {imaging::ImageFormat::Png, L"png", "PNG"},
    {imaging::ImageFormat::Tiff, L"tif", "TIFF"}, {imaging::ImageFormat::Jp2, L"jp2", "JP2"},
};

// The frame buffer as the camera leaves it, holding a camera-like picture.
void FillFrame(FrameExchange& frames, const imaging::Image& picture) {
  frames.Refit(picture.width, picture.height);
  auto block = frames.EmptyBlock();
  for (int y = 0; y < picture.height; ++y)
    std::memcpy(block->Pixels() + block->Stride() * y, picture.Row(y), picture.RowBytes());
  frames.Publish(block, {1, 0});
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[++i]));
  }
  const imaging::Image picture = imaging::testing::CameraLikePicture(2592, 1944);
  FrameExchange frames;
  FillFrame(frames, picture);
  wchar_t temp[MAX_PATH] = L"";
  ::GetTempPathW(MAX_PATH, temp);

  std::printf("2592 x 1944 frame, best of %d runs; the file written to %%TEMP%%\n\n", runs);
  std::printf(
      "| format | UI thread busy, saving there (before) ms | UI thread busy, copy and hand-over (now) ms |"
      " worker's save ms |\n|---|---:|---:|---:|\n");
  SnapshotWorker worker(nullptr);
  for (const Row& row : kRows) {
    const std::wstring path = std::wstring(temp) + L"q7_snapshot_bench." + row.extension;
    double before = 1e300, now = 1e300, worker_ms = 1e300;
    for (int r = 0; r < runs; ++r) {
      auto start = Clock::now();
      SaveSnapshot(frames.CopyBlock(), path);
      before = std::min(before, MsSince(start));

      start = Clock::now();
      worker.Submit(frames.CopyBlock(), path);
      now = std::min(now, MsSince(start));
      while (worker.TakeReports().empty()) ::Sleep(1);
      worker_ms = std::min(worker_ms, MsSince(start));
    }
    ::DeleteFileW(path.c_str());
    std::printf("| %s | %.1f | %.1f | %.1f |\n", row.name, before, now, worker_ms);
  }

  std::printf("\n| format | encoding without progress ms | with progress ms | reports |\n|---|---:|---:|---:|\n");
  for (const Row& row : kRows) {
    if (row.format == imaging::ImageFormat::Bmp || row.format == imaging::ImageFormat::Gif) continue;
    double without = 1e300, with = 1e300;
    int reports = 0;
    std::vector<std::uint8_t> bytes;
    for (int r = 0; r < runs; ++r) {
      auto start = Clock::now();
      imaging::EncodeImage(picture, row.format, bytes);
      without = std::min(without, MsSince(start));
      reports = 0;
      start = Clock::now();
      imaging::EncodeImage(picture, row.format, bytes, [&](int) { ++reports; });
      with = std::min(with, MsSince(start));
    }
    std::printf("| %s | %.1f | %.1f | %d |\n", row.name, without, with, reports);
  }
  return 0;
}
