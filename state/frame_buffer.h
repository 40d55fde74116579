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
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/critical_section.h"

// Every frame of this program: blue, green and red bytes.
inline constexpr int kFrameBitsPerPixel = 24;

struct FrameLayout {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::size_t stride = 0;     // bytes per row, a multiple of 4
  std::size_t imageSize = 0;  // stride * height
};

// Row padding and size of a picture; negative or zero sizes give an empty layout.
FrameLayout ComputeFrameLayout(int width, int height, int bitsPerPixel);

// Offset of the first pixel byte from the start of a block that begins with this header:
// biSize, plus 12 for BI_BITFIELDS masks, otherwise plus the colour table.
std::size_t FirstPixelOffset(const BITMAPINFOHEADER& header);

class FrameBlock {
 public:
  FrameBlock(int width, int height, int bitsPerPixel);

  const BITMAPINFOHEADER& Header() const { return *reinterpret_cast<const BITMAPINFOHEADER*>(bytes_.get()); }
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(bytes_.get()); }
  std::uint8_t* Pixels() { return bytes_.get() + FirstPixelOffset(Header()); }
  const std::uint8_t* Pixels() const { return bytes_.get() + FirstPixelOffset(Header()); }
  std::size_t PixelBytes() const { return Header().biSizeImage; }
  int Width() const { return Header().biWidth; }
  int Height() const { return Header().biHeight < 0 ? -Header().biHeight : Header().biHeight; }
  std::size_t Stride() const { return ComputeFrameLayout(Width(), Height(), Header().biBitCount).stride; }
  const std::uint8_t* Data() const { return bytes_.get(); }
  std::size_t Size() const { return size_; }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_;
};

class FrameBuffer {
 public:
  // Replaces the block by a fresh black one of the given size (FitFrameBuffer).
  void Fit(int width, int height, int bitsPerPixel);
  // Drops the block; readers that still hold it keep it alive until they finish.
  void Free();
  // The current block, or null; hold the result only for one use.
  std::shared_ptr<FrameBlock> Current() const;

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
};
