#include "state/frame_buffer.h"

#include <atomic>
#include <cstring>
#include <utility>

void FrameBuffer::Fit(int width, int height, int bitsPerPixel) {
  std::lock_guard bufferLock(bufferLock_);
  Replace(nullptr);  // the old block goes first, as the two never need to coexist for us
  Replace(std::make_shared<FrameBlock>(width, height, bitsPerPixel));
}

void FrameBuffer::Free() {
  std::lock_guard bufferLock(bufferLock_);
  Replace(nullptr);
}

std::shared_ptr<FrameBlock> FrameBuffer::Current() const {
  std::lock_guard guard(pointerMutex_);
  return block_;
}

bool FrameBuffer::Store(std::shared_ptr<FrameBlock>& filled) {
  std::lock_guard frameLock(frameLock_);
  std::lock_guard guard(pointerMutex_);
  if (!block_ || !filled || filled->Size() != block_->Size() || filled->Width() != block_->Width()) return false;
  // Every new reference to the current block is taken under the pointer mutex, so a count of
  // one cannot grow while it is held: nobody else can read the block that goes to the writer.
  if (block_.use_count() == 1) {
    // Pairs with the release of the last reader's reference, so its reads come before the
    // writer's next writes into this block.
    std::atomic_thread_fence(std::memory_order_acquire);
    block_.swap(filled);
  } else {
    std::memcpy(block_->Pixels(), filled->Pixels(), block_->PixelBytes());
  }
  return true;
}

std::vector<std::uint8_t> FrameBuffer::CopyBlock() const {
  std::lock_guard lock(frameLock_);
  const auto block = Current();
  if (!block) return {};
  return std::vector<std::uint8_t>(block->Data(), block->Data() + block->Size());
}

void FrameBuffer::Replace(std::shared_ptr<FrameBlock> block) {
  std::shared_ptr<FrameBlock> old;
  {
    std::lock_guard guard(pointerMutex_);
    old = std::exchange(block_, std::move(block));
  }
  ++generation_;
  // `old` is released here, outside the pointer mutex; a reader may still hold it.
}
