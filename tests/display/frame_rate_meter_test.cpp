#include "state/frame_rate_meter.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kFrameBytes = 15116544;  // 2592 x 1944, 24-bit, rows padded

// A camera at 15 frames/s whose every third frame is bad, fed into a meter from time zero.
class FrameRateMeterTest : public ::testing::Test {
 protected:
  static constexpr auto kPeriod = std::chrono::microseconds(66667);

  FrameRateMeter::Clock::time_point At(int frame) const { return start_ + frame * kPeriod; }

  // Frames [from, to): the bad ones reported bad, the good ones delivered and, when `show`
  // says so, shown a few milliseconds later. Returns the number of the last good frame.
  std::uint64_t Run(int from, int to, const std::function<bool(int)>& show) {
    std::uint64_t last = 0;
    for (int i = from; i < to; ++i) {
      if (i % 3 == 2) {
        meter_.OnBad(At(i));
        continue;
      }
      meter_.OnDelivered(At(i), kFrameBytes, ++delivered_);
      last = delivered_;
      if (show(i)) meter_.OnShown(At(i) + 5ms, last);
    }
    return last;
  }

  FrameRateMeter::Clock::time_point start_{std::chrono::hours(1)};
  FrameRateMeter meter_;
  std::uint64_t delivered_ = 0;  // numbers the frames, as the hand-off does
};

TEST_F(FrameRateMeterTest, CountsCameraFramesShownFramesAndBadOnesAsLost) {
  Run(0, 45, [](int) { return true; });  // three seconds, every good frame shown
  const FrameRates r = meter_.Read(At(44) + 10ms);
  EXPECT_NEAR(r.cameraPerSecond, 15.0, 0.01);
  EXPECT_NEAR(r.shownPerSecond, 10.0, 0.5);  // two good frames in each 200 ms
  EXPECT_EQ(r.delivered, 30u);
  EXPECT_EQ(r.shown, 30u);
  EXPECT_EQ(r.bad, 15u);
  EXPECT_EQ(r.lost, 15u);
  // Ten good frames of 15.1 MB a second.
  EXPECT_NEAR(r.megabytesPerSecond, 151.2, 8.0);
}

TEST_F(FrameRateMeterTest, FramesReplacedBeforeTheyWereShownAreLost) {
  Run(0, 45, [](int i) { return i % 2 == 0; });  // the renderer keeps up with every other frame only
  const FrameRates r = meter_.Read(At(44) + 10ms);
  // Good frames are 0, 1, 3, 4, 6, 7, ...: half of them even. The last one (43) was not shown
  // but is not lost yet: frame 44 was bad, so 43 is still in the frame buffer.
  EXPECT_EQ(r.delivered, 30u);
  EXPECT_EQ(r.shown, 15u);
  EXPECT_EQ(r.lost, 15u + 14u);
  EXPECT_NEAR(r.shownPerSecond, 5.0, 0.5);
}

TEST_F(FrameRateMeterTest, TheNewestFrameIsNotLostWhileItCanStillBeShown) {
  const std::uint64_t last = Run(0, 4, [](int i) { return i < 3; });  // frames 0, 1 shown; 3 waits
  EXPECT_EQ(meter_.Read(At(4)).lost, 1u);                             // only bad frame 2
  meter_.OnShown(At(4), last);
  EXPECT_EQ(meter_.Read(At(4)).lost, 1u);
  EXPECT_EQ(meter_.Read(At(4)).shown, 3u);
}

TEST_F(FrameRateMeterTest, RedrawsAndStaleNumbersDoNotCountAsShown) {
  const std::uint64_t first = 1, second = 2;
  meter_.OnDelivered(At(0), kFrameBytes, first);
  meter_.OnDelivered(At(1), kFrameBytes, second);
  meter_.OnShown(At(1), second);
  meter_.OnShown(At(1) + 2ms, second);      // the same frame drawn again
  meter_.OnShown(At(1) + 4ms, first);       // older than one already shown
  meter_.OnShown(At(1) + 6ms, second + 5);  // never delivered
  const FrameRates r = meter_.Read(At(2));
  EXPECT_EQ(r.shown, 1u);
  EXPECT_EQ(r.lost, 1u);
}

TEST_F(FrameRateMeterTest, ResetAtPlayStartsCountsAndRatesAfresh) {
  const std::uint64_t before = Run(0, 30, [](int) { return false; });
  meter_.Reset();
  meter_.OnShown(At(30), before);  // a frame from before Play, drawn late
  FrameRates r = meter_.Read(At(30));
  EXPECT_EQ(r.delivered, 0u);
  EXPECT_EQ(r.shown, 0u);
  EXPECT_EQ(r.lost, 0u);
  EXPECT_EQ(r.cameraPerSecond, 0.0);

  Run(31, 61, [](int) { return true; });
  r = meter_.Read(At(60));
  EXPECT_EQ(r.delivered, 20u);
  EXPECT_EQ(r.bad, 10u);
  EXPECT_EQ(r.lost, 10u);
  EXPECT_NEAR(r.cameraPerSecond, 15.0, 0.01);
}

TEST_F(FrameRateMeterTest, RatesFallToZeroOneSecondAfterTheLastFrame) {
  Run(0, 30, [](int) { return true; });
  EXPECT_GT(meter_.Read(At(29) + 900ms).cameraPerSecond, 0.0);  // the window still holds frames
  const FrameRates r = meter_.Read(At(29) + 1001ms);
  EXPECT_EQ(r.cameraPerSecond, 0.0);
  EXPECT_EQ(r.shownPerSecond, 0.0);
  EXPECT_EQ(r.megabytesPerSecond, 0.0);
  EXPECT_EQ(r.lost, 10u);  // counts stay until the next Play
}

}  // namespace
