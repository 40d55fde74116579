// The panel's side of the picture correction, with a plain window in the panel's place and a
// corrector fed frames by the test: the menu, a take's progress and outcome, and the
// information line's text.
#include "panel/correction_controller.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "framework/handles.h"
#include "tests/support/message_pump.h"
#include "tests/support/panel_stand_in.h"

namespace {

using q7::imaging::CorrectionKind;
using q7::imaging::FrameCorrector;
using testing_support::PumpUntil;

class CorrectionMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(panel_.Ok());
    folder_ = std::filesystem::temp_directory_path() / ("q7-correction-menu-" + std::to_string(::GetTickCount64()));
    corrector_ = std::make_unique<FrameCorrector>(FrameCorrector::Options{folder_.wstring(), L""});
    CorrectionController::Options options;
    options.confirmTake = [this](CorrectionKind) { return confirm_; };
    options.tellUser = [this](const std::wstring& text) { told_.push_back(text); };
    controller_ = std::make_unique<CorrectionController>(panel_.Window(), panel_.StatusLine(), panel_.Resources(),
                                                         state_, *corrector_, options);
  }
  void TearDown() override {
    controller_.reset();
    corrector_.reset();
    std::filesystem::remove_all(folder_);
  }
  std::wstring Status() const { return panel_.Status(); }
  std::vector<MenuItem> Items(bool playing) const {
    std::vector<MenuItem> items;
    controller_->AddMenuItems(items, playing);
    return items;
  }
  void Frame(std::uint8_t value) {
    std::vector<std::uint8_t> pixels(3 * 64 * 48, value);
    corrector_->Apply(pixels.data(), 3 * 64, 64, 48);
  }
  testing_support::PanelStandIn panel_{
      [](UINT msg, WPARAM wp, LPARAM lp) { return controller_ && controller_->OnMessage(msg, wp, lp); }};
  std::filesystem::path folder_;
  AppState state_;
  std::unique_ptr<FrameCorrector> corrector_;
  static inline std::unique_ptr<CorrectionController> controller_;
  bool confirm_ = true;
  std::vector<std::wstring> told_;
};

TEST_F(CorrectionMenu, OffersItsItemsWithTheirMnemonicsAndTicksWhatIsInUse) {
  auto items = Items(true);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].text, L"Take &dark frame\u2026");
  EXPECT_EQ(items[1].text, L"Take &flat field\u2026");
  EXPECT_EQ(items[2].text, L"&Correction");
  EXPECT_FALSE(items[2].checked);
  ASSERT_EQ(items[3].submenu.size(), 6u);
  EXPECT_TRUE(items[3].submenu[0].checked);  // averaging off
  EXPECT_EQ(items[3].submenu[3].text, L"8 frames");

  EXPECT_TRUE(controller_->OnMenuCommand(kMenuCorrection));
  EXPECT_TRUE(controller_->OnMenuCommand(items[3].submenu[3].commandId));
  items = Items(false);
  EXPECT_TRUE(corrector_->CorrectionOn());
  EXPECT_TRUE(items[2].checked);
  EXPECT_TRUE(items[3].submenu[3].checked);
  EXPECT_FALSE(items[3].submenu[0].checked);
  EXPECT_FALSE(items[0].enabled) << "nothing to take from while the camera is stopped";
  EXPECT_FALSE(controller_->OnMenuCommand(kMenuAveragingOff + 6));
  // The information line follows.
  ASSERT_TRUE(PumpUntil([&] { return state_.live.correction.Get() == L"avg 8"; }, 5000));
}

TEST_F(CorrectionMenu, ATakeShowsItsProgressAndARefusalInAMessage) {
  confirm_ = false;
  controller_->OnMenuCommand(kMenuTakeDark);
  EXPECT_FALSE(corrector_->Status().taking) << "cancelled in the dialog";
  confirm_ = true;
  controller_->OnMenuCommand(kMenuTakeDark);
  EXPECT_EQ(Status(), L"Taking dark frame\u2026 0 / 16");
  EXPECT_FALSE(Items(true)[0].enabled) << "one take at a time";
  for (int i = 0; i < 5; ++i) Frame(200);  // the lens is not capped
  ASSERT_TRUE(PumpUntil([&] { return Status() == L"Taking dark frame\u2026 5 / 16"; }, 5000)) << Status();
  for (int i = 5; i < 16; ++i) Frame(200);
  ASSERT_TRUE(PumpUntil([&] { return !told_.empty(); }, 10000));
  EXPECT_EQ(Status(), L"Dark frame not taken.");
  EXPECT_NE(told_[0].find(L"the picture is not dark"), std::wstring::npos) << told_[0];

  controller_->OnMenuCommand(kMenuTakeFlat);
  controller_->CameraStopped();
  ASSERT_TRUE(PumpUntil([&] { return told_.size() == 2; }, 5000));
  EXPECT_EQ(Status(), L"Flat field not taken.");
  EXPECT_NE(told_[1].find(L"the camera was stopped"), std::wstring::npos) << told_[1];
}

}  // namespace
