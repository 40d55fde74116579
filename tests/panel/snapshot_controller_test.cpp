// The panel's side of snapshots, with a plain window in the panel's place and saves the test
// holds back: the status line while a snapshot is written, refusals, failures and a held close.
#include "panel/snapshot_controller.h"

#include <gtest/gtest.h>

#include "framework/handles.h"
#include "framework/wnd.h"
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
    frames_.Fit(64, 48, 24);
    go_.reset(::CreateSemaphoreW(nullptr, 0, 16, nullptr));
  }
  void TearDown() override {
    controller_.reset();
    commands_.clear();
  }

  // Saves that report 40 % and wait for Release; names with "fail" fail.
  void MakeController(std::optional<SeriesChoices> series = std::nullopt) {
    SnapshotController::Options options;
    options.askForPath = [this] {
      return std::optional<std::wstring>(L"C:\\shots\\" + std::to_wstring(++asked_) + name_);
    };
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
    if (msg == WM_COMMAND) commands_.push_back(LOWORD(wp));
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }

  static inline std::unique_ptr<SnapshotController> controller_;
  static inline std::vector<UINT> commands_;
  fw::UniqueModule library_;
  fw::UniqueWindow panel_;
  HWND status_ = nullptr;  // a child of panel_
  FrameBuffer frames_;
  fw::UniqueKernelHandle go_;
  std::wstring name_ = L".png";
  int asked_ = 0;
  std::vector<std::wstring> told_;
};

TEST_F(SnapshotControl, ShowsTheProgressThenTheSuccess) {
  MakeController();
  controller_->OnSnapshot();
  EXPECT_TRUE(StatusBecomes(L"Saving snapshot\u2026 40 %"));
  Release(1);
  EXPECT_TRUE(StatusBecomes(L"Success for snapshot."));
  EXPECT_TRUE(told_.empty());
}

TEST_F(SnapshotControl, RefusesAFifthSnapshotAndTellsEachFailure) {
  MakeController();
  name_ = L"-fail.png";
  for (int i = 0; i < 5; ++i) controller_->OnSnapshot();
  EXPECT_EQ(Status(), SnapshotRefusedText(3));
  EXPECT_EQ(asked_, 4) << "no name is asked for when the snapshot cannot be taken";
  Release(4);
  EXPECT_TRUE(PumpUntil([&] { return told_.size() == 4; }, 10000));
  EXPECT_EQ(Status(), SnapshotNotSavedText());
  EXPECT_NE(told_[0].find(L"C:\\shots\\1-fail.png"), std::wstring::npos);
}

// A zoom's text is not overwritten by the next turn of the indicator.
TEST_F(SnapshotControl, LeavesAnotherTextInTheLineForAWhile) {
  MakeController();
  controller_->OnSnapshot();
  ::SetWindowTextW(status_, L"Zoom In 10%");
  PumpFor(600);  // three ticks at the most
  EXPECT_EQ(Status(), L"Zoom In 10%");
  EXPECT_TRUE(StatusBecomes(L"Saving snapshot\u2026 40 %"));
  Release(1);
}

TEST_F(SnapshotControl, HoldsACloseUntilTheSnapshotIsWritten) {
  MakeController();
  EXPECT_FALSE(controller_->HoldClose(IDOK)) << "nothing in hand: close at once";
  controller_->OnSnapshot();
  EXPECT_TRUE(controller_->HoldClose(IDOK));
  EXPECT_EQ(Status(), ClosingAfterSavingText());
  controller_->OnSnapshot();
  EXPECT_EQ(asked_, 1) << "no new snapshot while closing";
  PumpFor(300);
  EXPECT_TRUE(commands_.empty());
  Release(1);
  EXPECT_TRUE(PumpUntil([&] { return !commands_.empty(); }, 10000));
  EXPECT_EQ(commands_, std::vector<UINT>{IDOK});
  EXPECT_FALSE(controller_->HoldClose(IDOK));
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
