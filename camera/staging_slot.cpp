#include "camera/staging_slot.h"

#include <cstring>
#include <utility>

namespace {

// One block being copied into and one waiting in the slot cover the steady flow.
constexpr std::size_t kFreeBlocksKept = 2;

}  // namespace

void StagingSlot::Resize(int width, int height) {
  std::vector<std::unique_ptr<FrameBlock>> old;  // freed outside the lock
  std::unique_ptr<FrameBlock> staged;
  std::lock_guard lock(mutex_);
  layout_ = ComputeFrameLayout(width, height, kFrameBitsPerPixel);
  ++shape_;
  old.swap(free_);
  staged = std::move(staged_);
  full_ = false;
}

void StagingSlot::Clear() { Resize(0, 0); }

StagingSlot::StageResult StagingSlot::Stage(const void* data, std::size_t size, std::int64_t capturedAt) {
  std::unique_ptr<FrameBlock> block;
  std::uint64_t shape = 0;
  FrameLayout layout;
  {
    std::lock_guard lock(mutex_);
    if (interrupted_) return StageResult::Interrupted;
    if (full_) return StageResult::Busy;
    if (size == 0 || size != layout_.imageSize) return StageResult::WrongSize;
    if (!free_.empty()) {
      block = std::move(free_.back());
      free_.pop_back();
    }
    shape = shape_;
    layout = layout_;
  }
  // The copy runs outside the lock, so the hand-off can take frames meanwhile.
  if (!block) block = std::make_unique<FrameBlock>(layout.width, layout.height, layout.bitsPerPixel);
  std::memcpy(block->Pixels(), data, size);
  {
    std::lock_guard lock(mutex_);
    if (shape != shape_) return StageResult::WrongSize;  // resized while copying: the block goes
    // Stopped while copying: kept, it would be the first frame after the next start.
    if (interrupted_) return StageResult::Interrupted;
    staged_ = std::move(block);
    full_ = true;
    stagedAt_ = capturedAt;
  }
  changed_.notify_all();
  return StageResult::Staged;
}

bool StagingSlot::Take(std::unique_ptr<FrameBlock>& block, std::int64_t& capturedAt,
                       std::chrono::milliseconds timeout) {
  std::unique_ptr<FrameBlock> unusable;  // freed outside the lock
  {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [&] { return full_ || interrupted_; }) || interrupted_) return false;
    // The block given in is kept to copy into later; one of another size is of no use.
    std::unique_ptr<FrameBlock> given = std::exchange(block, std::move(staged_));
    if (given && given->PixelBytes() == layout_.imageSize && free_.size() < kFreeBlocksKept)
      free_.push_back(std::move(given));
    else
      unusable = std::move(given);
    full_ = false;
    capturedAt = stagedAt_;
  }
  return true;
}

void StagingSlot::Interrupt() {
  std::unique_ptr<FrameBlock> stale;  // freed outside the lock
  {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    // A frame staged as acquisition stops is not handed on after the next start.
    if (full_ && free_.size() < kFreeBlocksKept) free_.push_back(std::move(staged_));
    stale = std::move(staged_);
    full_ = false;
  }
  changed_.notify_all();
}

void StagingSlot::Resume() {
  std::lock_guard lock(mutex_);
  interrupted_ = false;
}
