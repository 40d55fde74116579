// The capture path: starting and stopping, grabbing into the frame buffer, resolution
// changes while frames flow, and an SDK that fails or stops delivering.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "camera_test_support.h"

namespace {

class Acquisition : public CameraTest {
 protected:
  void OpenAt(int resolutionIndex) {
    ASSERT_TRUE(camera->Open());
    PropertyRecord r = camera->CurrentRecord();
    r.resolutionIndex = resolutionIndex;
    camera->ApplyProperties(r, false);
  }
  bool Grab() { return camera->GrabFrame(state.frames); }
  bool GrabsWithin(int attempts) {
    for (int i = 0; i < attempts; ++i) {
      if (Grab()) return true;
    }
    return false;
  }
};

TEST_F(Acquisition, GrabReturnsAtOnceWhileStopped) {
  EXPECT_FALSE(Grab());  // no device at all
  OpenAt(9);
  EXPECT_FALSE(camera->IsAcquiring());
  EXPECT_FALSE(Grab());
}

TEST_F(Acquisition, StartAndStopTwice) {
  OpenAt(9);
  EXPECT_FALSE(camera->StopAcquisition());
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(camera->StartAcquisition());
    EXPECT_FALSE(camera->StartAcquisition());  // one thread at a time
    EXPECT_TRUE(camera->IsAcquiring());
    EXPECT_TRUE(GrabsWithin(3));
    EXPECT_TRUE(camera->StopAcquisition());
    EXPECT_FALSE(camera->StopAcquisition());
    EXPECT_FALSE(camera->IsAcquiring());
    EXPECT_FALSE(Grab());
  }
}

TEST_F(Acquisition, GrabbedFrameIsTheCamerasPicture) {
  OpenAt(9);
  ASSERT_TRUE(camera->StartAcquisition());
  ASSERT_TRUE(GrabsWithin(3));
  const FrameExchange::Lease frame = state.frames.Read();
  const std::uint8_t* p = frame.Block().Pixels();
  const std::size_t bytes = frame.Block().PixelBytes();
  EXPECT_EQ(bytes, 640u * 480u * 3u);
  // Not black, and not one flat colour: the chart arrived.
  EXPECT_NE(std::count(p, p + bytes, 0), static_cast<std::ptrdiff_t>(bytes));
  EXPECT_GT(*std::max_element(p, p + bytes) - *std::min_element(p, p + bytes), 100);
}

TEST_F(Acquisition, GrabNeverPublishesIntoAnExchangeOfAnotherSize) {
  OpenAt(9);
  ASSERT_TRUE(camera->StartAcquisition());
  FrameExchange small, large;
  small.Refit(512, 384);
  large.Refit(2592, 1944);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(camera->GrabFrame(small));
    EXPECT_FALSE(camera->GrabFrame(large));
  }
  EXPECT_EQ(small.NewestNumber(), 0u);
  EXPECT_EQ(large.NewestNumber(), 0u);
  EXPECT_TRUE(GrabsWithin(3));
}

TEST_F(Acquisition, GrabGivesUpWithinItsTimeoutWhenFramesStop) {
  SetSim("Q7SIM_UNPLUG_AFTER", "4");
  OpenAt(9);
  ASSERT_TRUE(camera->StartAcquisition());
  EXPECT_TRUE(GrabsWithin(3));
  // After the fourth frame nothing comes; each grab ends by its timeout.
  ASSERT_TRUE(Eventually([&] { return q7sim::FramesDelivered(0) >= 4; }));
  int failed = 0;
  for (int i = 0; i < 3; ++i) failed += Grab() ? 0 : 1;
  EXPECT_GE(failed, 2);
  EXPECT_TRUE(camera->IsAcquiring());  // only the link watcher acts on a lost camera
  EXPECT_TRUE(camera->StopAcquisition());
}

TEST_F(Acquisition, BadResultsAreDroppedAndGoodFramesStillFlow) {
  SetSim("Q7SIM_BAD_RESULT_EVERY", "2");
  OpenAt(9);
  ASSERT_TRUE(camera->StartAcquisition());
  int good = 0;
  for (int i = 0; i < 6; ++i) good += Grab() ? 1 : 0;
  EXPECT_GE(good, 4);
  EXPECT_TRUE(camera->StopAcquisition());
}

TEST_F(Acquisition, SdkFailureEndsTheThreadButNotTheSession) {
  SetSim("Q7SIM_REJECT_PROPERTY", "RequestCount");
  OpenAt(9);
  ASSERT_TRUE(camera->StartAcquisition());
  ASSERT_TRUE(Eventually([&] { return !camera->IsAcquiring(); }));
  EXPECT_FALSE(Grab());
  // Play again works without a stop in between, and so does a stop.
  EXPECT_TRUE(camera->StartAcquisition());
  ASSERT_TRUE(Eventually([&] { return !camera->IsAcquiring(); }));
  EXPECT_TRUE(camera->StopAcquisition());
  EXPECT_TRUE(camera->IsOpen());
  PropertyRecord r = camera->CurrentRecord();
  r.exposureTime = 30000;
  camera->ApplyProperties(r, false);
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/Camera/Expose_us"), 30000.0);
}

TEST_F(Acquisition, ResolutionChangeRestartsARunningAcquisition) {
  OpenAt(9);
  ASSERT_TRUE(camera->StartAcquisition());
  ASSERT_TRUE(GrabsWithin(3));
  PropertyRecord r = camera->CurrentRecord();
  r.resolutionIndex = 8;
  camera->ApplyProperties(r, false);
  EXPECT_TRUE(camera->IsAcquiring());
  EXPECT_EQ(camera->Width(), 1024);
  EXPECT_EQ(state.frames.Size().width, 1024);
  EXPECT_EQ(state.frames.Size().height, 768);
  EXPECT_TRUE(GrabsWithin(3));
  EXPECT_TRUE(camera->StopAcquisition());
  // Stopped, the change leaves it stopped.
  r.resolutionIndex = 9;
  camera->ApplyProperties(r, false);
  EXPECT_FALSE(camera->IsAcquiring());
  EXPECT_EQ(state.frames.Size().width, 640);
}

// The hand-off thread hands frames on while the user-interface thread changes the
// resolution, which stops acquisition, resizes the staging slot and re-fits the exchange.
// A lock-order fault deadlocks here (the test's timeout), a size fault writes out of bounds.
TEST_F(Acquisition, RepeatedResolutionChangesWhileFramesFlowToTheFrameBuffer) {
  SetSim("Q7SIM_FPS", "60");
  OpenAt(9);
  ASSERT_TRUE(camera->StartCapture());
  ASSERT_TRUE(Eventually([&] { return state.frameReady == 1; }));
  PropertyRecord r = camera->CurrentRecord();
  for (const int index : {8, 9, 3, 9, 0, 9, 7, 5, 9, 8, 9, 2}) {
    r.resolutionIndex = index;
    camera->ApplyProperties(r, false);
    ASSERT_TRUE(camera->IsAcquiring());
    ASSERT_EQ(state.frames.Size().width, kResolutions[index].width);
    ASSERT_EQ(state.frames.Size().height, kResolutions[index].height);
    // Frames of the new size reach the new block.
    state.frameReady = 0;
    ASSERT_TRUE(Eventually([&] { return state.frameReady == 1; })) << "index " << index;
  }
  EXPECT_TRUE(camera->StopAcquisition());
}

TEST_F(Acquisition, HandOffKeepsTheFlagDownWhileStopped) {
  OpenAt(9);
  ASSERT_TRUE(camera->StartCapture());
  ASSERT_TRUE(Eventually([&] { return state.frameReady == 1; }));
  EXPECT_TRUE(camera->StopAcquisition());
  ASSERT_TRUE(Eventually([&] { return state.frameReady == 0; }));
  EXPECT_TRUE(camera->HasHandOffThread());  // idle, for the next Play
  ASSERT_TRUE(camera->StartAcquisition());
  ASSERT_TRUE(Eventually([&] { return state.frameReady == 1; }));
}

TEST_F(Acquisition, OnePushWhiteBalanceReadsTheNeutralGainsBack) {
  OpenAt(9);
  PropertyRecord r = camera->CurrentRecord();
  // Stopped: the waits run out and nothing changes.
  camera->OnePushWhiteBalance(&r);
  EXPECT_EQ(r.redGain, 1.0);
  EXPECT_EQ(r.blueGain, 1.0);
  ASSERT_TRUE(camera->StartAcquisition());
  r.totalGain = 1.5;  // not read back
  camera->OnePushWhiteBalance(&r);
  EXPECT_LT(r.redGain, 0.95);  // the light is warm
  EXPECT_GT(r.blueGain, 1.05);
  EXPECT_EQ(r.greenGain, 1.0);
  EXPECT_EQ(r.totalGain, 1.5);
  const PropertyRecord current = camera->CurrentRecord();
  EXPECT_EQ(0, std::memcmp(&current, &r, sizeof r));
  DWORD type;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
  EXPECT_EQ(0, std::memcmp(bytes.data(), &r, sizeof r));
  EXPECT_TRUE(camera->StopAcquisition());
}

// The hand-off takes every frame it can; the calibration's five frames must still count.
// A slow camera (a long exposure) makes a frame it misses cost more than the wait allows.
TEST_F(Acquisition, OnePushWhiteBalanceWorksWhileTheHandOffTakesTheFrames) {
  SetSim("Q7SIM_FPS", "2");
  OpenAt(9);
  ASSERT_TRUE(camera->StartCapture());
  ASSERT_TRUE(camera->HasHandOffThread());
  ASSERT_TRUE(Eventually([&] { return state.frameReady == 1; }));
  PropertyRecord r = camera->CurrentRecord();
  camera->OnePushWhiteBalance(&r);
  EXPECT_LT(r.redGain, 0.95);
  EXPECT_GT(r.blueGain, 1.05);
  EXPECT_EQ(camera->CurrentRecord().blueGain, r.blueGain);
  EXPECT_TRUE(Eventually([&] { return state.frameReady == 1; }));  // and the picture keeps coming
}

TEST_F(Acquisition, CloseStopsARunningAcquisition) {
  OpenAt(9);
  ASSERT_TRUE(camera->StartAcquisition());
  camera->Close();
  EXPECT_FALSE(camera->IsAcquiring());
  EXPECT_FALSE(camera->IsOpen());
  EXPECT_FALSE(q7sim::IsDeviceOpen(0));
  EXPECT_FALSE(camera->StartAcquisition());
}

}  // namespace

namespace {

// The live information counts what the camera delivers: with every third frame bad, a third
// of the frames are counted bad and lost, and each good one reaches the frame buffer numbered.
TEST_F(Acquisition, CountsDeliveredAndBadFramesForTheInformationLine) {
  SetSim("Q7SIM_FPS", "60");
  SetSim("Q7SIM_BAD_RESULT_EVERY", "3");
  OpenAt(9);
  ASSERT_TRUE(camera->StartCapture());
  ASSERT_TRUE(Eventually([&] { return state.live.meter.Read(FrameRateMeter::Clock::now()).bad >= 10; }));
  camera->StopAcquisition();
  const FrameRates r = state.live.meter.Read(FrameRateMeter::Clock::now());
  EXPECT_NEAR(static_cast<double>(r.bad), (r.delivered + r.bad) / 3.0, 2.0);
  EXPECT_GE(r.lost, r.bad);
  EXPECT_EQ(state.frames.NewestNumber(), r.delivered);
  SetSim("Q7SIM_BAD_RESULT_EVERY", nullptr);
}

}  // namespace
