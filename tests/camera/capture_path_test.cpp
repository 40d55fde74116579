// The capture path's hand-over: every staged frame is handed on, in order, however fast the
// sensor; and nothing of the capture path makes a re-fit wait for the camera.
#include <atomic>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "camera/staging_slot.h"
#include "camera_test_support.h"

namespace {

using namespace std::chrono_literals;

// A sensor far faster than the hand-off (which here pauses after every frame it takes):
// images that find the slot full are dropped and counted, but every frame that was staged is
// taken, in the order it was staged. The old event-based grab lost a frame staged between
// two passes.
TEST(StagingSlotHandOver, EveryStagedFrameIsTakenInOrderWhenTheSensorIsFaster) {
  StagingSlot slot;
  slot.Resize(64, 48);
  slot.Resume();
  const std::size_t bytes = ComputeFrameLayout(64, 48, 24).imageSize;
  std::vector<std::uint32_t> staged, taken;
  std::atomic<bool> done{false};
  int busy = 0;
  std::thread sensor([&] {
    std::vector<std::uint8_t> image(bytes);
    for (std::uint32_t n = 1; n <= 3000; ++n) {
      std::memcpy(image.data(), &n, sizeof n);
      const auto result = slot.Stage(image.data(), bytes, n);
      if (result == StagingSlot::StageResult::Staged) staged.push_back(n);
      if (result == StagingSlot::StageResult::Busy) ++busy;
    }
    done = true;
  });
  std::unique_ptr<FrameBlock> block;
  std::int64_t capturedAt = 0;
  for (;;) {
    const bool sensorDone = done;  // read before the take: a frame staged last is still taken
    if (!slot.Take(block, capturedAt, 5ms)) {
      if (sensorDone) break;
      continue;
    }
    std::uint32_t n = 0;
    std::memcpy(&n, block->Pixels(), sizeof n);
    EXPECT_EQ(n, capturedAt);
    taken.push_back(n);
    std::this_thread::sleep_for(200us);  // the hand-off is the slower one
  }
  sensor.join();
  EXPECT_GT(busy, 0) << "the sensor was not faster: the test proves nothing";
  EXPECT_EQ(taken, staged);
}

TEST(StagingSlotHandOver, RefusesOtherSizesAndDropsTheStagedFrameWhenInterrupted) {
  StagingSlot slot;
  slot.Resize(32, 24);
  slot.Resume();
  std::vector<std::uint8_t> image(ComputeFrameLayout(32, 24, 24).imageSize, 7);
  EXPECT_EQ(slot.Stage(image.data(), image.size() - 4, 1), StagingSlot::StageResult::WrongSize);
  EXPECT_EQ(slot.Stage(image.data(), image.size(), 2), StagingSlot::StageResult::Staged);
  slot.Interrupt();
  std::unique_ptr<FrameBlock> block;
  std::int64_t at = 0;
  EXPECT_FALSE(slot.Take(block, at, 0ms));
  // The acquisition thread may still finish a copy after the stop.
  EXPECT_EQ(slot.Stage(image.data(), image.size(), 3), StagingSlot::StageResult::Interrupted);
  slot.Resume();
  EXPECT_FALSE(slot.Take(block, at, 0ms)) << "a frame staged before the stop came back after it";
}

class CapturePathTest : public CameraTest {};

// The session lock is held through a slow open (a camera taking seconds to answer); a
// re-fit from the user-interface thread meanwhile must not wait for it.
TEST_F(CapturePathTest, ARefitDuringASlowOpenReturnsAtOnce) {
  SetSim("Q7SIM_OPEN_DELAY_MS", "4000");
  auto opening = std::async(std::launch::async, [&] { return camera->Open(); });
  std::this_thread::sleep_for(300ms);  // the open is under way (were it not, the test would pass anyway)
  const std::uint64_t generation = state.frames.Generation();
  camera->FitFrameBuffer();
  EXPECT_GT(state.frames.Generation(), generation);
  EXPECT_FALSE(q7sim::IsDeviceOpen(0)) << "the re-fit waited for the open";
  EXPECT_TRUE(opening.get());
}

// The camera stops sending while the hand-off waits for a frame; re-fits come and go, the
// frames before the stall are all counted, and once the stall is noticed the link watcher
// would take over.
TEST_F(CapturePathTest, RefitsWhileTheCameraStallsNeverWaitForIt) {
  SetSim("Q7SIM_UNPLUG_AFTER", "10");
  ASSERT_TRUE(camera->Open());
  ASSERT_TRUE(camera->StartCapture());
  ASSERT_TRUE(Eventually([&] { return q7sim::FramesDelivered(0) >= 10; }));
  for (int i = 0; i < 20; ++i) camera->FitFrameBuffer();
  EXPECT_TRUE(camera->HasHandOffThread());
  EXPECT_EQ(state.frames.Size().width, camera->Width());
  const FrameRates rates = state.live.meter.Read(FrameRateMeter::Clock::now());
  EXPECT_EQ(rates.delivered + rates.dropped + rates.bad, q7sim::FramesDelivered(0));
}

}  // namespace
