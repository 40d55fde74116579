// The snapshot worker with saves the test holds back, so the queue, the end and the series can
// be seen from outside while the worker is busy.
#include "panel/snapshot_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/handles.h"

namespace {

namespace fs = std::filesystem;

// A save that waits until the test lets it go, and counts what it wrote.
class HeldSaves {
 public:
  SnapshotWorker::SaveFunction Function() {
    return [this](std::span<const std::uint8_t>, const std::wstring& path, const SnapshotWriteOptions&) {
      ::ReleaseSemaphore(started_.get(), 1, nullptr);
      ::WaitForSingleObject(go_.get(), INFINITE);
      ++saved_;
      return SnapshotOutcome{path.find(L"fail") == std::wstring::npos, L"failed: " + path};
    };
  }
  void WaitForStart() { ::WaitForSingleObject(started_.get(), INFINITE); }
  void Release(int count) { ::ReleaseSemaphore(go_.get(), count, nullptr); }
  int Saved() const { return saved_; }

 private:
  fw::UniqueKernelHandle started_{::CreateSemaphoreW(nullptr, 0, 64, nullptr)};
  fw::UniqueKernelHandle go_{::CreateSemaphoreW(nullptr, 0, 64, nullptr)};
  std::atomic<int> saved_{0};
};

// Collects reports until `count` have come, or one that ends a series (or a generous limit
// passes).
std::vector<SnapshotReport> Reports(SnapshotWorker& worker, std::size_t count = 1000) {
  std::vector<SnapshotReport> all;
  for (int i = 0; i < 3000 && all.size() < count; ++i) {
    for (SnapshotReport& r : worker.TakeReports()) all.push_back(std::move(r));
    if (!all.empty() && all.back().kind == SnapshotReport::Kind::SeriesEnded) break;
    ::Sleep(10);
  }
  return all;
}

TEST(SnapshotWorkerQueue, HoldsFourSnapshotsAndRefusesTheFifth) {
  HeldSaves saves;
  SnapshotWorker worker(nullptr, saves.Function());
  EXPECT_EQ(worker.Submit({}, L"1.png"), SnapshotWorker::Accepted::Yes);
  saves.WaitForStart();
  for (const wchar_t* path : {L"2.png", L"fail-3.png", L"4.png"})
    EXPECT_EQ(worker.Submit({}, path), SnapshotWorker::Accepted::Yes);
  EXPECT_EQ(worker.Submit({}, L"5.png"), SnapshotWorker::Accepted::Full);
  EXPECT_EQ(worker.SnapshotsInHand(), 4u);
  saves.Release(4);
  const auto reports = Reports(worker, 4);
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0].path, L"1.png");
  EXPECT_FALSE(reports[2].outcome.saved);  // in order, each with its own outcome
  EXPECT_EQ(reports[3].path, L"4.png");
  EXPECT_TRUE(worker.Idle());
}

TEST(SnapshotWorkerQueue, FinishWritesEverySnapshotInHandThenRefusesMore) {
  HeldSaves saves;
  SnapshotWorker worker(nullptr, saves.Function());
  worker.Submit({}, L"1.png");
  worker.Submit({}, L"2.png");
  saves.Release(2);
  worker.Finish();
  EXPECT_EQ(saves.Saved(), 2);
  EXPECT_EQ(worker.TakeReports().size(), 2u);
  EXPECT_EQ(worker.Submit({}, L"3.png"), SnapshotWorker::Accepted::Finishing);
}

class SnapshotWorkerSeries : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / "q7-worker-series";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  SeriesPlan Plan(int intervalMs, int count) const {
    return {folder_.wstring(), L"shot", L"bmp", intervalMs, count, 1};
  }
  // A new 8 x 8 frame each time, as from a moving scene.
  SnapshotWorker::FrameSource MovingFrames() {
    return [this] {
      FrameBuffer buffer;
      buffer.Fit(8, 8, 24);
      buffer.Current()->Pixels()[0] = static_cast<std::uint8_t>(++frames_);
      return buffer.CopyBlock();
    };
  }
  std::vector<std::uint8_t> Read(const wchar_t* name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path folder_;
  std::atomic<int> frames_{0};
};

TEST_F(SnapshotWorkerSeries, SavesCountPicturesUnderFreeNumbers) {
  SnapshotWorker worker(nullptr);
  SeriesPlan plan = Plan(500, 3);
  std::ofstream(folder_ / "shot_0002.bmp") << "not ours";  // appeared after the plan was made
  ASSERT_TRUE(worker.StartSeries(plan, MovingFrames()));
  EXPECT_FALSE(worker.StartSeries(plan, MovingFrames())) << "one series at a time";
  const auto reports = Reports(worker);
  ASSERT_EQ(reports.size(), 4u);
  EXPECT_EQ(reports[0].path, (folder_ / "shot_0001.bmp").wstring());
  EXPECT_EQ(reports[1].path, (folder_ / "shot_0003.bmp").wstring());
  EXPECT_EQ(reports[2].series.saved, 3);
  EXPECT_EQ(reports[3].kind, SnapshotReport::Kind::SeriesEnded);
  EXPECT_EQ(reports[3].end, SeriesEnd::Completed);
  EXPECT_EQ(Read(L"shot_0002.bmp").size(), 8u);
  EXPECT_NE(Read(L"shot_0001.bmp"), Read(L"shot_0003.bmp"));
  EXPECT_NE(Read(L"shot_0003.bmp"), Read(L"shot_0004.bmp"));
}

TEST_F(SnapshotWorkerSeries, SkipsTheTicksThatPassWhileAPictureIsWritten) {
  // Each save takes longer than two intervals and a half.
  SnapshotWorker worker(nullptr, [](std::span<const std::uint8_t>, const std::wstring&, const SnapshotWriteOptions&) {
    ::Sleep(1300);
    return SnapshotOutcome{true, {}};
  });
  ASSERT_TRUE(worker.StartSeries(Plan(500, 2), MovingFrames()));
  const auto reports = Reports(worker);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[2].series.saved, 2);
  EXPECT_GE(reports[2].series.skipped, 2);
  EXPECT_EQ(frames_, 2) << "only the pictures saved are copied";
}

TEST_F(SnapshotWorkerSeries, EndsAtAFailedWriteNamingTheFileOrWhenStopped) {
  SnapshotWorker worker(nullptr);
  SeriesPlan plan = Plan(500, 0);
  plan.folder += L"\\gone";
  ASSERT_TRUE(worker.StartSeries(plan, MovingFrames()));
  auto reports = Reports(worker);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].end, SeriesEnd::Failed);
  EXPECT_NE(reports[0].outcome.error.find(L"gone\\shot_0001.bmp"), std::wstring::npos);
  EXPECT_FALSE(worker.SeriesRunning());

  ASSERT_TRUE(worker.StartSeries(Plan(500, 0), MovingFrames()));
  worker.StopSeries();
  reports = Reports(worker);
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().end, SeriesEnd::Stopped);
  EXPECT_TRUE(worker.Idle());
}

}  // namespace
