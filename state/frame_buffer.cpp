#include "state/frame_buffer.h"

#include <cstring>
#include <utility>

FrameLayout ComputeFrameLayout(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0 || bitsPerPixel <= 0) return {};
  FrameLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bitsPerPixel = bitsPerPixel;
  layout.stride = ((static_cast<std::size_t>(width) * bitsPerPixel + 31) & ~std::size_t{31}) / 8;
  layout.imageSize = layout.stride * static_cast<std::size_t>(height);
  return layout;
}

std::size_t FirstPixelOffset(const BITMAPINFOHEADER& header) {
  if (header.biCompression == BI_BITFIELDS) return header.biSize + 12;
  return header.biSize + 4 * static_cast<std::size_t>(header.biClrUsed);
}

FrameBlock::FrameBlock(int width, int height, int bitsPerPixel) {
  const FrameLayout layout = ComputeFrameLayout(width, height, bitsPerPixel);
  size_ = sizeof(BITMAPINFOHEADER) + layout.imageSize;
  bytes_ = std::make_unique<std::uint8_t[]>(size_);  // value-initialised: black pixels
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(BITMAPINFOHEADER);
  header.biWidth = layout.width;
  header.biHeight = -layout.height;  // top-down rows
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(layout.bitsPerPixel);
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(layout.imageSize);
  std::memcpy(bytes_.get(), &header, sizeof header);
}

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
  // `old` is released here, outside the pointer mutex; a reader may still hold it.
}
