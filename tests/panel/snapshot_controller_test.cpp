// The panel's side of snapshots, with a plain window in the panel's place and saves the test
// holds back: the status line while a snapshot is written, a failed series, the series' menu.
#include "panel/snapshot_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "framework/handles.h"
#include "panel/snapshot_texts.h"
#include "tests/support/message_pump.h"
#include "tests/support/panel_stand_in.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

class SnapshotControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(panel_.Ok());
    frames_.Refit(64, 48);
    go_.reset(::CreateSemaphoreW(nullptr, 0, 16, nullptr));
  }
  void TearDown() override { controller_.reset(); }

  // Saves that report 40 % and wait for Release; names with "fail" fail.
  void MakeController(std::optional<SeriesChoices> series = std::nullopt) {
    SnapshotController::Options options;
    options.askForPath = [] { return std::optional<std::wstring>(L"C:\\shots\\1.png"); };
    options.askForSeries = [series] { return series; };
    options.tellUser = [this](const std::wstring& text) { told_.push_back(text); };
    options.askForJpegQuality = [] { return std::optional<int>(35); };
    options.save = [this](std::span<const std::uint8_t>, const std::wstring& path, const SnapshotWriteOptions& o) {
      {
        std::lock_guard lock(qualitiesLock_);
        jpegQualities_.push_back(o.jpegQuality);
      }
      if (o.progress) o.progress(40);
      ::WaitForSingleObject(go_.get(), INFINITE);
      return path.find(L"fail") == std::wstring::npos ? SnapshotOutcome{true, {}} : SnapshotFailure(path, L"why");
    };
    controller_ = std::make_unique<SnapshotController>(panel_.Window(), panel_.StatusLine(), panel_.Resources(),
                                                       frames_, options);
  }
  void Release(int count) { ::ReleaseSemaphore(go_.get(), count, nullptr); }
  std::wstring Status() const { return panel_.Status(); }
  bool StatusBecomes(const std::wstring& text) {
    return PumpUntil([&] { return Status() == text; }, 10000);
  }

  static inline std::unique_ptr<SnapshotController> controller_;
  testing_support::PanelStandIn panel_{
      [](UINT msg, WPARAM wp, LPARAM lp) { return controller_ && controller_->OnMessage(msg, wp, lp); }};
  FrameExchange frames_;
  fw::UniqueKernelHandle go_;
  std::vector<std::wstring> told_;
  std::mutex qualitiesLock_;
  std::vector<int> jpegQualities_;  // guarded by qualitiesLock_: the worker writes it
  std::vector<int> JpegQualities() {
    std::lock_guard lock(qualitiesLock_);
    return jpegQualities_;
  }
};

// The percentage while the save is held, a zoom's text left alone a while, then the success.
TEST_F(SnapshotControl, ShowsTheProgressLeavesAnotherTextAWhileThenTheSuccess) {
  MakeController();
  controller_->OnSnapshot();
  EXPECT_TRUE(StatusBecomes(L"Saving snapshot\u2026 40 %"));
  ::SetWindowTextW(panel_.StatusLine(), L"Zoom In 10%");
  PumpFor(600);  // three of the indicator's ticks at the most
  EXPECT_EQ(Status(), L"Zoom In 10%");
  Release(1);
  EXPECT_TRUE(StatusBecomes(L"Success for snapshot."));
  EXPECT_TRUE(told_.empty());
}

// "JPEG quality…" in the menu: the quality chosen goes with the snapshots and series after it.
TEST_F(SnapshotControl, TheJpegQualityChosenInTheMenuGoesWithTheNextSnapshots) {
  MakeController(SeriesChoices{L"C:\\shots", L"JPG", 500, 1, L"shot"});
  std::vector<MenuItem> items;
  controller_->AddMenuItems(items, true);
  ASSERT_EQ(items.back().commandId, kMenuJpegQuality);
  EXPECT_EQ(items.back().text, L"&JPEG quality\u2026");
  controller_->OnSnapshot();
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuJpegQuality));
  controller_->OnSnapshot();
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuCaptureSeries));
  Release(3);
  EXPECT_TRUE(PumpUntil([&] { return JpegQualities().size() == 3; }, 10000));
  auto qualities = JpegQualities();
  std::sort(qualities.begin() + 1, qualities.end());  // the series' picture and the snapshot race
  EXPECT_EQ(qualities, (std::vector<int>{90, 35, 35}));
}

TEST_F(SnapshotControl, ASeriesThatCannotWriteStopsNamingTheFile) {
  MakeController(SeriesChoices{L"C:\\fail", L"BMP", 500, 0, L"shot"});
  std::vector<MenuItem> items;
  controller_->AddMenuItems(items, false);
  ASSERT_EQ(items.size(), 2u);  // and the JPEG quality
  EXPECT_EQ(items[0].text, L"Ca&pture series\u2026");
  EXPECT_FALSE(items[0].enabled) << "a series needs the camera playing";
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuCaptureSeries));
  items.clear();
  controller_->AddMenuItems(items, true);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_FALSE(items[0].enabled) << "one series at a time";
  EXPECT_EQ(items[1].commandId, kMenuStopSeries);
  Release(1);
  EXPECT_TRUE(StatusBecomes(SeriesEndText(SeriesEnd::Failed, 0, 0)));
  ASSERT_EQ(told_.size(), 1u);
  EXPECT_NE(told_[0].find(L"C:\\fail\\shot_0001.bmp"), std::wstring::npos);
}

// Unplugged, the camera leaves its last picture in the frame buffer: a series ends rather than
// save it again and again, and says why on the status line, not in a box.
TEST_F(SnapshotControl, ASeriesEndsWhenTheCameraIsGoneAndSaysWhy) {
  MakeController(SeriesChoices{L"C:\\shots", L"BMP", 500, 0, L"shot"});
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuCaptureSeries));
  controller_->CameraGone();
  Release(1);
  // Its first picture may or may not be under way by then.
  EXPECT_TRUE(PumpUntil([&] { return Status().ends_with(L" saved; the camera is gone"); }, 10000)) << Status();
  EXPECT_TRUE(Status().starts_with(L"Series stopped: ")) << Status();
  EXPECT_TRUE(told_.empty());
}

}  // namespace
