// The snapshot worker with saves the test holds back: its bounded queue, its end, a series.
#include "panel/snapshot_worker.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/handles.h"
#include "state/frame_block.h"

namespace {

namespace fs = std::filesystem;

// A save that waits until the test lets it go; names with "fail" fail.
class HeldSaves {
 public:
  SnapshotWorker::SaveFunction Function() {
    return [this](std::span<const std::uint8_t>, const std::wstring& path, const SnapshotWriteOptions&) {
      ::ReleaseSemaphore(started_.get(), 1, nullptr);
      ::WaitForSingleObject(go_.get(), INFINITE);
      return SnapshotOutcome{path.find(L"fail") == std::wstring::npos, L"failed: " + path};
    };
  }
  void WaitForStart() { ::WaitForSingleObject(started_.get(), INFINITE); }
  void Release(int count) { ::ReleaseSemaphore(go_.get(), count, nullptr); }

 private:
  fw::UniqueKernelHandle started_{::CreateSemaphoreW(nullptr, 0, 64, nullptr)};
  fw::UniqueKernelHandle go_{::CreateSemaphoreW(nullptr, 0, 64, nullptr)};
};

TEST(SnapshotWorker, HoldsFourSnapshotsRefusesAFifthAndWritesAllBeforeItEnds) {
  HeldSaves saves;
  SnapshotWorker worker(nullptr, saves.Function());
  EXPECT_EQ(worker.Submit({}, L"1.png"), SnapshotWorker::Accepted::Yes);
  saves.WaitForStart();
  for (const wchar_t* path : {L"2.png", L"fail-3.png", L"4.png"})
    EXPECT_EQ(worker.Submit({}, path), SnapshotWorker::Accepted::Yes);
  EXPECT_EQ(worker.Submit({}, L"5.png"), SnapshotWorker::Accepted::Full);
  saves.Release(4);
  worker.Finish();
  const auto reports = worker.TakeReports();
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0].path, L"1.png");
  EXPECT_FALSE(reports[2].outcome.saved);  // in order, each with its own outcome
  EXPECT_EQ(reports[3].path, L"4.png");
  EXPECT_EQ(worker.Submit({}, L"6.png"), SnapshotWorker::Accepted::Finishing);
}

TEST(SnapshotWorker, SeriesTakesFreeNumbersOnlyAndEndsWhenStopped) {
  const fs::path folder = fs::temp_directory_path() / "q7-worker-series";
  fs::remove_all(folder);
  fs::create_directories(folder);
  std::ofstream(folder / "shot_0002.bmp") << "not ours";  // appeared after the plan was made
  int frames = 0;                                         // the worker's own
  const auto movingScene = [&] {
    FrameBlock block(8, 8, 24);
    block.Pixels()[0] = static_cast<std::uint8_t>(++frames);
    return std::vector<std::uint8_t>(block.Data(), block.Data() + block.Size());
  };
  SnapshotWorker worker(nullptr);
  const SeriesPlan plan{folder.wstring(), L"shot", L"bmp", 500, 0, 1};
  ASSERT_TRUE(worker.StartSeries(plan, movingScene));
  EXPECT_FALSE(worker.StartSeries(plan, movingScene)) << "one series at a time";
  for (int i = 0; i < 1000 && !fs::exists(folder / "shot_0004.bmp"); ++i) ::Sleep(10);
  worker.StopSeries();
  for (int i = 0; i < 1000 && worker.SeriesRunning(); ++i) ::Sleep(10);
  const auto reports = worker.TakeReports();
  ASSERT_GE(reports.size(), 3u);
  EXPECT_EQ(reports.back().end, SeriesEnd::Stopped);
  EXPECT_EQ(reports[1].path, (folder / "shot_0003.bmp").wstring());
  const auto read = [&](const char* name) {
    std::ifstream in(folder / name, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_EQ(read("shot_0002.bmp").size(), 8u);
  EXPECT_NE(read("shot_0001.bmp"), read("shot_0003.bmp"));
  fs::remove_all(folder);
}

}  // namespace
