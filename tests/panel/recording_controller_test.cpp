// The panel's side of recording, with a plain window in the panel's place and a frame exchange
// the test feeds as the camera would: the menu's items, the status line while recording, the
// file in the chosen folder, and a recording that ends by itself.
#include "panel/recording_controller.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/handles.h"
#include "panel/recording_choices.h"
#include "tests/support/message_pump.h"
#include "tests/support/panel_stand_in.h"
#include "tests/support/private_registry.h"

namespace {

namespace fs = std::filesystem;
using testing_support::PumpUntil;

class RecordingControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.Ok());
    ASSERT_TRUE(panel_.Ok());
    state_.resourceLibrary = panel_.Resources();
    folder_ = L"Z:\\tmp\\q7_recording_control_" + std::to_wstring(::GetCurrentProcessId());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    state_.frames.Refit(320, 240);
    block_ = state_.frames.EmptyBlock();
    RecordingController::Options options;
    options.askForFolder = [this](const std::wstring&) { return std::optional<std::wstring>(folder_); };
    options.tellUser = [this](const std::wstring& text) { told_.push_back(text); };
    controller_ = std::make_unique<RecordingController>(panel_.Window(), panel_.StatusLine(), state_, options);
  }
  void TearDown() override {
    controller_.reset();
    fs::remove_all(folder_);
  }

  void Publish() {
    ++number_;
    for (std::size_t i = 0; i < block_->PixelBytes(); ++i) block_->Pixels()[i] = static_cast<std::uint8_t>(i * number_);
    ASSERT_TRUE(state_.frames.Publish(block_, {number_, static_cast<std::int64_t>(number_) * 100000}));
  }
  std::wstring Status() const { return panel_.Status(); }
  std::vector<MenuItem> Items(bool playing) const {
    std::vector<MenuItem> items;
    controller_->AddMenuItems(items, playing);
    return items;
  }
  std::vector<fs::path> Recordings() const { return {fs::directory_iterator(folder_), {}}; }

  testing_support::PrivateCurrentUser registry_;
  AppState state_;
  std::unique_ptr<FrameBlock> block_;
  std::uint64_t number_ = 0;
  testing_support::PanelStandIn panel_{
      [](UINT msg, WPARAM wp, LPARAM lp) { return controller_ && controller_->OnMessage(msg, wp, lp); }};
  std::wstring folder_;
  std::vector<std::wstring> told_;
  static inline std::unique_ptr<RecordingController> controller_;  // before the state it reads goes
};

TEST_F(RecordingControl, RecordRecordsIntoTheChosenFolderCountingOnTheStatusLine) {
  std::vector<MenuItem> items = Items(false);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, L"Record\tR");
  EXPECT_FALSE(items[0].enabled) << "a recording needs the camera playing";
  EXPECT_EQ(items[1].text, L"Recording folder\u2026");
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuRecordingFolder, false));
  EXPECT_EQ(LoadRecordingFolder(), folder_) << "kept for next time";
  EXPECT_FALSE(items[2].checked);
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuRecordingSplit, false));
  EXPECT_TRUE(Items(false)[2].checked) << "the FAT32 split is kept per user";
  EXPECT_TRUE(controller_->OnMenuCommand(kMenuRecordingSplit, false));

  EXPECT_TRUE(controller_->OnMenuCommand(kMenuRecord, true));
  ASSERT_TRUE(controller_->Recording());
  EXPECT_TRUE(state_.recording.on);
  items = Items(true);
  EXPECT_TRUE(items[0].checked);
  EXPECT_FALSE(items[1].enabled) << "the folder stays while recording";
  for (int i = 0; i < 5; ++i) {
    Publish();
    ASSERT_TRUE(PumpUntil(
        [&] { return Status().find(L" " + std::to_wstring(i + 1) + L" frames") != std::wstring::npos; }, 10000))
        << Status();
  }
  EXPECT_EQ(Status().substr(0, 17), L"Recording 00:00:0") << Status();
  EXPECT_NE(Status().find(L" \u00B7 5 frames \u00B7 0 dropped \u00B7 "), std::wstring::npos) << Status();

  controller_->Toggle(true);  // R
  ASSERT_TRUE(PumpUntil([&] { return !controller_->Recording(); }, 10000));
  EXPECT_FALSE(state_.recording.on);
  EXPECT_TRUE(told_.empty());
  EXPECT_EQ(Status().substr(0, 20), L"Recording saved: Q7_") << Status();
  const auto files = Recordings();
  ASSERT_EQ(files.size(), 1u);
  const std::wstring name = files[0].filename().wstring();
  EXPECT_EQ(name.substr(0, 3), L"Q7_");
  EXPECT_EQ(name.size(), RecordingFileName(SYSTEMTIME{}).size());
  EXPECT_GT(fs::file_size(files[0]), 5u * 320 * 240 / 100);
}

TEST_F(RecordingControl, ARecordingThatEndsByItselfIsToldWithTheReason) {
  controller_->OnMenuCommand(kMenuRecordingFolder, false);
  controller_->Toggle(true);
  ASSERT_TRUE(controller_->Recording());
  Publish();
  ASSERT_TRUE(PumpUntil([&] { return Status().find(L" 1 frames") != std::wstring::npos; }, 10000)) << Status();
  state_.frames.Refit(640, 480);  // another resolution
  ASSERT_TRUE(PumpUntil([&] { return !controller_->Recording(); }, 10000));
  ASSERT_EQ(told_.size(), 1u);
  EXPECT_NE(told_[0].find(L"the picture size changed"), std::wstring::npos) << told_[0];
  EXPECT_NE(told_[0].find(folder_), std::wstring::npos) << told_[0];
  EXPECT_EQ(Status(), L"The recording stopped: the picture size changed.");
}

TEST_F(RecordingControl, AnUnpluggedCameraEndsTheRecordingWithWhatItHas) {
  controller_->OnMenuCommand(kMenuRecordingFolder, false);
  controller_->Toggle(true);
  Publish();
  ASSERT_TRUE(PumpUntil([&] { return Status().find(L" 1 frames") != std::wstring::npos; }, 10000)) << Status();
  state_.noSignal = true;  // as the camera's link watcher marks it
  ASSERT_TRUE(PumpUntil([&] { return !controller_->Recording(); }, 10000));
  ASSERT_EQ(told_.size(), 1u);
  EXPECT_NE(told_[0].find(L"the camera is gone"), std::wstring::npos) << told_[0];
  EXPECT_EQ(Recordings().size(), 1u);
}

TEST(RecordingChoices, TheFileIsNamedAfterTheTimeItStarted) {
  SYSTEMTIME t{};
  t.wYear = 2026, t.wMonth = 12, t.wDay = 8, t.wHour = 15, t.wMinute = 30, t.wSecond = 2;
  EXPECT_EQ(RecordingFileName(t), L"Q7_20261208_153002.avi");
}

}  // namespace
