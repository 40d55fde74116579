#pragma once
// The frame buffer: one heap block holding a 40-byte BITMAPINFOHEADER followed by the
// pixel rows (top-down, rows padded to 4 bytes). The block is replaced, never resized.
// It owns its pixels and the two locks that guard them; the camera's hand-off is the only
// writer, the renderers and the snapshot read.
//
// Lock scheme:
//  - The buffer lock serialises Fit against each pass of the hand-off thread, so a grab
//    never writes into a block that is being replaced.
//  - The frame lock guards the pixels of the current block: the writer copies a frame in
//    under it, a reader holds it while it reads, so no reader sees half of two frames.
//  - Whoever needs more than one lock takes the buffer lock first, the camera's staging lock
//    next and the frame lock last; nothing takes them the other way round.
//  - Readers hold a shared reference to the block they read, so a replaced block is freed
//    only when its last reader lets go.
//  - A new frame is stored by trading the writer's filled block for the current one when
//    no reader holds the current one, and by copying into it otherwise: a block a reader
//    holds is never written by anyone but under the frame lock.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/critical_section.h"
#include "state/frame_block.h"

class FrameBuffer {
 public:
  // Replaces the block by a fresh black one of the given size (FitFrameBuffer).
  void Fit(int width, int height, int bitsPerPixel);
  // Drops the block; readers that still hold it keep it alive until they finish.
  void Free();
  // The current block, or null; hold the result only for one use.
  std::shared_ptr<FrameBlock> Current() const;

  // Makes the pixels of `filled` (a block of the current one's size) the current frame,
  // under the frame lock. When no reader holds the current block the two trade places, and
  // `filled` comes back holding the previous frame's block for the writer to fill again;
  // otherwise the pixels are copied. False, and nothing stored, when there is no current
  // block or its size differs.
  bool Store(std::shared_ptr<FrameBlock>& filled);

  // Counts the blocks made and dropped (Fit and Free), not the frames stored: the same
  // count means the same picture size and no black re-fit since.
  std::uint64_t Generation() const noexcept { return generation_.load(); }

  // A copy of the whole block (header and pixels) made under the frame lock: one consistent
  // picture. Empty when there is no block.
  std::vector<std::uint8_t> CopyBlock() const;

  CCriticalSection& BufferLock() { return bufferLock_; }
  CCriticalSection& FrameLock() const { return frameLock_; }

 private:
  void Replace(std::shared_ptr<FrameBlock> block);

  CCriticalSection bufferLock_;
  mutable CCriticalSection frameLock_;
  mutable std::mutex pointerMutex_;  // guards only the pointer, never held while waiting
  std::shared_ptr<FrameBlock> block_;
  std::atomic<std::uint64_t> generation_{0};
};
