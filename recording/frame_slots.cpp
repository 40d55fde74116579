#include "recording/frame_slots.h"

#include <algorithm>
#include <cmath>

namespace q7::recording {
namespace {

constexpr double kLearning = 1.0 / 16;  // weight of each new period measurement
constexpr double kPauseSeconds = 2.0;

}  // namespace

FrameSlots::FrameSlots(std::int64_t ticksPerSecond, double framesPerSecond)
    : ticksPerSecond_(static_cast<double>(std::max<std::int64_t>(ticksPerSecond, 1))),
      period_(framesPerSecond > 0 ? ticksPerSecond_ / framesPerSecond : 0) {}

std::uint64_t FrameSlots::Place(std::uint64_t number, std::int64_t capturedAt) {
  if (!started_) {
    started_ = true;
    lastNumber_ = number;
    lastCapture_ = capturedAt;
    return lastSlot_ = 0;
  }
  const double elapsed = static_cast<double>(std::max<std::int64_t>(capturedAt - lastCapture_, 0));
  const std::uint64_t numbers = number > lastNumber_ ? number - lastNumber_ : 1;
  // Only frames that follow each other directly measure the camera's period.
  if (numbers == 1 && elapsed > 0 && elapsed < kPauseSeconds * ticksPerSecond_)
    period_ = period_ > 0 ? period_ + (elapsed - period_) * kLearning : elapsed;
  // The next frame of the camera takes the next slot however late it came: nothing was missed.
  // Frames missed in between take a slot each, or the slots their time covers when that is more.
  std::uint64_t advance = numbers;
  if (numbers > 1 && period_ > 0)
    advance = std::max<std::uint64_t>(numbers, static_cast<std::uint64_t>(std::llround(elapsed / period_)));
  const bool paused = numbers == 1 && elapsed >= kPauseSeconds * ticksPerSecond_;
  recordedTicks_ += paused ? period_ : elapsed;
  lastNumber_ = number;
  lastCapture_ = capturedAt;
  lastSlot_ += advance;
  return lastSlot_;
}

double FrameSlots::FramesPerSecond() const {
  if (lastSlot_ == 0 || recordedTicks_ <= 0) return period_ > 0 ? ticksPerSecond_ / period_ : 0;
  return static_cast<double>(lastSlot_) * ticksPerSecond_ / recordedTicks_;
}

}  // namespace q7::recording
