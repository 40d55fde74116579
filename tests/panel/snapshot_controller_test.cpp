// The panel's side of snapshots, with a plain window in the panel's place and saves the test
// holds back: the status line while a snapshot is written, a failed series, the series' menu.
#include "panel/snapshot_controller.h"

#include <gtest/gtest.h>

#include "framework/handles.h"
#include "panel/snapshot_texts.h"
#include "tests/support/message_pump.h"

namespace {

using testing_support::PumpFor;
using testing_support::PumpUntil;

class SnapshotControl : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(::LoadLibraryW(L"Q7Resource.dll"));
    ASSERT_TRUE(library_);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &SnapshotControl::PanelProc;
    windowClass.lpszClassName = L"Q7SnapshotControlTest";
    ::RegisterClassW(&windowClass);
    panel_.reset(
        ::CreateWindowW(L"Q7SnapshotControlTest", L"", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr, nullptr, nullptr));
    status_ = ::CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 100, 20, panel_.get(), nullptr, nullptr, nullptr);
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
    options.save = [this](std::span<const std::uint8_t>, const std::wstring& path, const SnapshotWriteOptions& o) {
      if (o.progress) o.progress(40);
      ::WaitForSingleObject(go_.get(), INFINITE);
      return path.find(L"fail") == std::wstring::npos ? SnapshotOutcome{true, {}} : SnapshotFailure(path, L"why");
    };
    controller_ = std::make_unique<SnapshotController>(panel_.get(), status_, library_.get(), frames_, options);
  }
  void Release(int count) { ::ReleaseSemaphore(go_.get(), count, nullptr); }
  std::wstring Status() const {
    wchar_t text[256] = L"";
    ::GetWindowTextW(status_, text, 256);
    return text;
  }
  bool StatusBecomes(const std::wstring& text) {
    return PumpUntil([&] { return Status() == text; }, 10000);
  }

  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (controller_ && controller_->OnMessage(msg, wp, lp)) return 0;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }

  static inline std::unique_ptr<SnapshotController> controller_;
  fw::UniqueModule library_;
  fw::UniqueWindow panel_;
  HWND status_ = nullptr;  // a child of panel_
  FrameExchange frames_;
  fw::UniqueKernelHandle go_;
  std::vector<std::wstring> told_;
};

// The percentage while the save is held, a zoom's text left alone a while, then the success.
TEST_F(SnapshotControl, ShowsTheProgressLeavesAnotherTextAWhileThenTheSuccess) {
  MakeController();
  controller_->OnSnapshot();
  EXPECT_TRUE(StatusBecomes(L"Saving snapshot\u2026 40 %"));
  ::SetWindowTextW(status_, L"Zoom In 10%");
  PumpFor(600);  // three of the indicator's ticks at the most
  EXPECT_EQ(Status(), L"Zoom In 10%");
  Release(1);
  EXPECT_TRUE(StatusBecomes(L"Success for snapshot."));
  EXPECT_TRUE(told_.empty());
}

TEST_F(SnapshotControl, ASeriesThatCannotWriteStopsNamingTheFile) {
  MakeController(SeriesChoices{L"C:\\fail", L"BMP", 500, 0, L"shot"});
  std::vector<MenuItem> items;
  controller_->AddMenuItems(items, false);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].text, L"&Capture series\u2026");
  EXPECT_FALSE(items[0].enabled) << "a series needs the camera playing";
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuCaptureSeries));
  items.clear();
  controller_->AddMenuItems(items, true);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_FALSE(items[0].enabled) << "one series at a time";
  EXPECT_EQ(items[1].commandId, kMenuStopSeries);
  Release(1);
  EXPECT_TRUE(StatusBecomes(SeriesEndText(SeriesEnd::Failed, 0, 0)));
  ASSERT_EQ(told_.size(), 1u);
  EXPECT_NE(told_[0].find(L"C:\\fail\\shot_0001.bmp"), std::wstring::npos);
}

}  // namespace
