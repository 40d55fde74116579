// The camera that comes and goes: a camera plugged in after the start, one unplugged and
// plugged in again while playing or stopped, one gone for good, and what each look at the
// link decides.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "camera/camera_link.h"
#include "camera/frame_hand_off.h"
#include "camera_test_support.h"

namespace {

using namespace std::chrono_literals;

TEST(LinkSteps, EachLookLeadsToTheStepItsStateCallsFor) {
  const auto step = [](LinkState state, bool present, bool stopped = false, bool shown = false, ULONGLONG ms = 0) {
    return NextLinkStep(LinkLook{state, present, stopped, shown, ms});
  };
  EXPECT_EQ(step(LinkState::Closed, true), LinkStep::None);
  EXPECT_EQ(step(LinkState::Waiting, false), LinkStep::None);
  EXPECT_EQ(step(LinkState::Waiting, true), LinkStep::Open);
  EXPECT_EQ(step(LinkState::Connected, true), LinkStep::None);
  EXPECT_EQ(step(LinkState::Connected, false), LinkStep::MarkLost);
  EXPECT_EQ(step(LinkState::Connected, true, true), LinkStep::MarkLost);  // plugged in, but silent
  EXPECT_EQ(step(LinkState::Lost, false, true, false, kWaitingNoticeAfterMs - 1), LinkStep::None);
  EXPECT_EQ(step(LinkState::Lost, false, true, false, kWaitingNoticeAfterMs), LinkStep::SayWaiting);
  EXPECT_EQ(step(LinkState::Lost, false, true, true, 10 * kWaitingNoticeAfterMs), LinkStep::None);
  EXPECT_EQ(step(LinkState::Lost, true, true, false, 0), LinkStep::Reopen);
}

class CameraLink : public CameraTest {
 protected:
  // Starts the watcher; `onEvent` runs on the watcher's thread as each event is heard.
  void Watch(std::function<void(CameraLinkEvent)> onEvent = {}) {
    onEvent_ = std::move(onEvent);
    camera->WatchLink([this](CameraLinkEvent event) {
      if (onEvent_) onEvent_(event);
      std::lock_guard lock(mutex_);
      events_.push_back(event);
    });
  }
  std::vector<CameraLinkEvent> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  // Plugging, unplugging and opening take seconds in the simulation: a generous bound.
  bool Heard(CameraLinkEvent event) {
    return Eventually(
        [&] {
          const std::vector<CameraLinkEvent> heard = Events();
          return std::find(heard.begin(), heard.end(), event) != heard.end();
        },
        20s);
  }
  static void StoreRecord(const PropertyRecord& r) {
    StoreValue(L"Version", REG_DWORD, &r.version, sizeof r.version);
    StoreValue(L"Property", REG_BINARY, &r, sizeof r);
  }
  // Settings a fresh camera does not have, so a camera that lost them shows it.
  static PropertyRecord NonDefaultRecord() {
    PropertyRecord r = Defaults();
    r.resolutionIndex = 9;
    r.exposureTime = 12340;
    r.gain = 3.5;
    r.redGain = 1.25;
    r.mono = 1;
    r.flipHorizontal = 0;
    r.gainOffset = 2.5;
    return r;
  }
  bool FramesFlow() {
    state.frameReady = 0;
    return Eventually([&] { return state.frameReady == 1; });
  }

  std::mutex mutex_;
  std::vector<CameraLinkEvent> events_;  // guarded by mutex_
  std::function<void(CameraLinkEvent)> onEvent_;
};

TEST_F(CameraLink, ACameraPluggedInAfterTheStartIsOpenedWithTheStoredSettings) {
  SetSim("Q7SIM_CAMERAS", "0");
  SetSim("Q7SIM_ARRIVE_AFTER_MS", "500");
  StoreRecord(NonDefaultRecord());
  EXPECT_FALSE(camera->Open());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, L"Can't find camera.");
  EXPECT_EQ(camera->Link(), LinkState::Waiting);

  Watch();
  ASSERT_TRUE(Heard(CameraLinkEvent::Opened));
  EXPECT_TRUE(camera->IsOpen());
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/ImageProcessing/ColorProcessing"), 3.0);
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/Camera/Expose_us"), 12340.0);
  EXPECT_EQ(state.frames.Size().width, 640);
  EXPECT_EQ(state.frames.Size().height, 480);
  EXPECT_EQ(messages.size(), 1u);  // the arrival itself says nothing
  ASSERT_TRUE(camera->StartCapture());
  EXPECT_TRUE(FramesFlow());
}

TEST_F(CameraLink, AReconnectWritesEverySettingAgainInTheOrderOfTheFirstOpenAndPlaysOn) {
  SetSim("Q7SIM_UNPLUG_AFTER", "10");
  SetSim("Q7SIM_REPLUG_AFTER_MS", "800");
  StoreRecord(NonDefaultRecord());
  ASSERT_TRUE(camera->Open());
  const std::vector<std::string> firstOpen = WriteLog();
  std::size_t writesAtLoss = 0;
  Watch([&](CameraLinkEvent event) {
    if (event == CameraLinkEvent::Lost) writesAtLoss = q7sim::RecordedWrites().size();
  });
  ASSERT_TRUE(camera->StartCapture());

  ASSERT_TRUE(Heard(CameraLinkEvent::Reconnected));
  EXPECT_EQ(Events().front(), CameraLinkEvent::Lost);
  const std::vector<std::string> since = WriteLogSince(writesAtLoss);
  ASSERT_GE(since.size(), firstOpen.size());
  EXPECT_EQ(std::vector<std::string>(since.begin(), since.begin() + firstOpen.size()), firstOpen);
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/ImageProcessing/ColorProcessing"), 3.0);
  EXPECT_EQ(state.reconnects, 1u);
  EXPECT_FALSE(state.noSignal);
  EXPECT_EQ(camera->Link(), LinkState::Connected);
  EXPECT_TRUE(camera->IsAcquiring());
  EXPECT_TRUE(FramesFlow());
  EXPECT_TRUE(messages.empty());
}

TEST_F(CameraLink, ACameraLostWhileStoppedComesBackStopped) {
  SetSim("Q7SIM_UNPLUG_AFTER", "0");        // at the first frame time, without a request
  SetSim("Q7SIM_REPLUG_AFTER_MS", "2000");  // so a look, once a second, sees it away
  ASSERT_TRUE(camera->Open());
  Watch();
  ASSERT_TRUE(Heard(CameraLinkEvent::Reconnected));
  const std::vector<CameraLinkEvent> heard = Events();
  EXPECT_EQ(heard.front(), CameraLinkEvent::Lost);
  EXPECT_EQ(heard.back(), CameraLinkEvent::Reconnected);
  EXPECT_EQ(std::count(heard.begin(), heard.end(), CameraLinkEvent::Lost), 1);
  EXPECT_FALSE(camera->IsAcquiring());
  EXPECT_EQ(state.reconnects, 1u);
  ASSERT_TRUE(camera->StartCapture());
  EXPECT_TRUE(FramesFlow());
}

TEST_F(CameraLink, SettingsChangedWhileTheCameraIsAwayReachItWhenItIsBack) {
  SetSim("Q7SIM_UNPLUG_AFTER", "0");
  SetSim("Q7SIM_REPLUG_AFTER_MS", "2000");
  ASSERT_TRUE(camera->Open());
  std::size_t writesWhileLost = 99;
  Watch([&](CameraLinkEvent event) {
    if (event != CameraLinkEvent::Lost) return;
    // As the property dialog would, as soon as the camera is gone.
    PropertyRecord r = camera->CurrentRecord();
    r.exposureTime = 33333;
    r.mono = 1;
    const std::size_t before = q7sim::RecordedWrites().size();
    camera->ApplyProperties(r, false);
    writesWhileLost = q7sim::RecordedWrites().size() - before;
  });
  ASSERT_TRUE(Heard(CameraLinkEvent::Reconnected));
  EXPECT_EQ(writesWhileLost, 0u);
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/Camera/Expose_us"), 33333.0);
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/ImageProcessing/ColorProcessing"), 3.0);
  DWORD type;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
  PropertyRecord stored;
  std::memcpy(&stored, bytes.data(), sizeof stored);
  EXPECT_EQ(stored.exposureTime, 33333);
}

TEST_F(CameraLink, ACameraGoneForGoodIsAwaitedWhilePlayStopAndCloseStillAnswer) {
  SetSim("Q7SIM_UNPLUG_AFTER", "5");
  ASSERT_TRUE(camera->Open());
  Watch();
  ASSERT_TRUE(camera->StartCapture());
  ASSERT_TRUE(Heard(CameraLinkEvent::Lost));
  EXPECT_TRUE(state.noSignal);
  ASSERT_TRUE(Heard(CameraLinkEvent::Waiting));
  EXPECT_EQ(Events(), (std::vector<CameraLinkEvent>{CameraLinkEvent::Lost, CameraLinkEvent::Waiting}));
  EXPECT_EQ(camera->Link(), LinkState::Lost);
  EXPECT_TRUE(camera->IsOpen());
  EXPECT_FALSE(camera->StartCapture());  // noted for the camera's return, nothing started
  camera->StopAcquisition();
  EXPECT_FALSE(camera->IsAcquiring());
  PropertyRecord r = camera->CurrentRecord();
  camera->OnePushWhiteBalance(&r);  // nothing to calibrate on: returns at once
  EXPECT_EQ(r.redGain, 1.0);
  camera->Close();
  EXPECT_EQ(camera->Link(), LinkState::Closed);
  EXPECT_FALSE(state.noSignal);
  EXPECT_TRUE(messages.empty());
}

TEST_F(CameraLink, CloseWhileTheWatcherOpensAnArrivingCameraWaitsForTheOpenAndEndsAll) {
  SetSim("Q7SIM_CAMERAS", "0");
  SetSim("Q7SIM_ARRIVE_AFTER_MS", "300");
  SetSim("Q7SIM_OPEN_DELAY_MS", "1500");
  EXPECT_FALSE(camera->Open());
  Watch();
  std::this_thread::sleep_for(1500ms);  // the first look, a second in, is opening the camera now
  camera->Close();
  EXPECT_EQ(camera->Link(), LinkState::Closed);
  EXPECT_FALSE(q7sim::IsDeviceOpen(0));
  EXPECT_FALSE(camera->IsOpen());
}

}  // namespace
