#pragma once
// The hand-over from the acquisition thread to the hand-off thread: one frame at a time.
// The acquisition thread copies an image into a block of its own and stages it; the hand-off
// takes the staged frame, giving an empty block in return. A staged frame is never
// overwritten: while one still waits, a newer image is dropped (and counted by the caller),
// so every frame that was staged is handed on, in order.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "state/frame_block.h"

class StagingSlot {
 public:
  // Interrupted: acquisition stopped before or while the frame was copied; it is not handed on.
  enum class StageResult { Staged, Busy, WrongSize, Interrupted };

  // The size of the frames to stage from now on: a staged frame of another size is
  // dropped, and so is a copy under way. Called while acquisition is stopped.
  void Resize(int width, int height);
  // Forgets the staged frame and frees the blocks (the camera is closed).
  void Clear();

  // Acquisition thread: copies `size` bytes from `data` into the slot, stamped with the time
  // the camera delivered them (QueryPerformanceCounter ticks). Busy when the previous frame
  // still waits, WrongSize when the image does not have the slot's size; nothing is copied then.
  StageResult Stage(const void* data, std::size_t size, std::int64_t capturedAt);

  // Hand-off thread: waits up to `timeout` for a staged frame and takes it into `block`,
  // whose previous content (an empty block, or null) the slot keeps for a later copy.
  // False on time-out or after Interrupt.
  bool Take(std::unique_ptr<FrameBlock>& block, std::int64_t& capturedAt, std::chrono::milliseconds timeout);
  // Makes a waiting Take return at once, and every Take until Resume; a staged frame is
  // dropped (acquisition stopped).
  void Interrupt();
  void Resume();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  FrameLayout layout_;
  std::uint64_t shape_ = 0;  // counts Resize and Clear: a copy under way of an older shape is dropped
  // Empty blocks of the current size for the acquisition thread to copy into: the ones the
  // hand-off gives back, so that frames flow without a block being made.
  std::vector<std::unique_ptr<FrameBlock>> free_;
  std::unique_ptr<FrameBlock> staged_;  // the frame waiting for the hand-off, when full_
  bool full_ = false;
  std::int64_t stagedAt_ = 0;
  bool interrupted_ = true;  // until acquisition starts
};
