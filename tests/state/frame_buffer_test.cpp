#include "state/frame_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

bool AllZero(const FrameBlock& block) {
  const std::uint8_t* p = block.Pixels();
  return std::all_of(p, p + block.PixelBytes(), [](std::uint8_t b) { return b == 0; });
}

TEST(FrameBufferLayout, VgaBlockIsHeaderPlusPaddedRows) {
  FrameBuffer buffer;
  buffer.Fit(640, 480, 24);
  auto block = buffer.Current();
  ASSERT_TRUE(block);
  EXPECT_EQ(block->Size(), 921640u);
  EXPECT_EQ(block->Stride(), 1920u);
  const BITMAPINFOHEADER& h = block->Header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 640);
  EXPECT_EQ(h.biHeight, -480);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(h.biSizeImage, 921600u);
  EXPECT_EQ(h.biXPelsPerMeter, 0);
  EXPECT_EQ(h.biYPelsPerMeter, 0);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(h.biClrImportant, 0u);
  EXPECT_EQ(block->Pixels(), block->Data() + 40);
  EXPECT_TRUE(AllZero(*block));
}

TEST(FrameBufferLayout, FullSensorAndOddWidths) {
  EXPECT_EQ(ComputeFrameLayout(2592, 1944, 24).stride, 7776u);
  EXPECT_EQ(ComputeFrameLayout(2592, 1944, 24).imageSize, 15116544u);
  // 641 pixels are 1923 bytes, padded by one to a multiple of 4.
  EXPECT_EQ(ComputeFrameLayout(641, 480, 24).stride, 1924u);
  EXPECT_EQ(ComputeFrameLayout(1, 1, 24).stride, 4u);
  EXPECT_EQ(ComputeFrameLayout(0, 480, 24).imageSize, 0u);
  EXPECT_EQ(ComputeFrameLayout(-5, 480, 24).imageSize, 0u);
}

TEST(FrameBufferLayout, FirstPixelRule) {
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biCompression = BI_RGB;
  EXPECT_EQ(FirstPixelOffset(h), 40u);
  h.biClrUsed = 256;
  EXPECT_EQ(FirstPixelOffset(h), 40u + 1024u);
  h.biCompression = BI_BITFIELDS;
  EXPECT_EQ(FirstPixelOffset(h), 52u);
}

TEST(FrameBufferLifetime, RefitGivesAFreshBlackBlock) {
  FrameBuffer buffer;
  buffer.Fit(640, 480, 24);
  auto first = buffer.Current();
  std::memset(first->Pixels(), 0xAB, first->PixelBytes());
  buffer.Fit(1024, 768, 24);
  auto second = buffer.Current();
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(second->Height(), 768);
  EXPECT_TRUE(AllZero(*second));
  // The reader that held the old block can still read it whole.
  EXPECT_EQ(first->Pixels()[first->PixelBytes() - 1], 0xAB);
  buffer.Free();
  EXPECT_FALSE(buffer.Current());
}

// Re-fits the buffer again and again while a writer (the hand-off pass, under the buffer
// lock) and readers (the renderers, holding their block) use it. Any use of a freed block
// or a write past a block's end shows as a crash or a wrong checksum under Wine's heap.
TEST(FrameBufferLifetime, RefitWhileOtherThreadsReadAndWrite) {
  FrameBuffer buffer;
  buffer.Fit(640, 480, 24);
  std::atomic<bool> stop{false};
  std::atomic<long> writes{0}, reads{0};

  std::thread writer([&] {
    while (!stop) {
      std::lock_guard lock(buffer.BufferLock());
      auto block = buffer.Current();
      std::memset(block->Pixels(), 0x5A, block->PixelBytes());
      ++writes;
    }
  });
  auto reader = [&] {
    while (!stop) {
      auto block = buffer.Current();
      if (!block) continue;
      const std::uint8_t* p = block->Pixels();
      const std::size_t n = block->PixelBytes();
      volatile unsigned sum = 0;
      for (std::size_t i = 0; i < n; i += 4096) sum = sum + p[i];
      EXPECT_EQ(n, static_cast<std::size_t>(block->Stride()) * block->Height());
      ++reads;
    }
  };
  std::thread r1(reader), r2(reader);

  const int sizes[][2] = {{640, 480}, {2592, 1944}, {1280, 960}, {641, 480}, {1024, 768}};
  for (int i = 0; i < 200; ++i) buffer.Fit(sizes[i % 5][0], sizes[i % 5][1], 24);
  stop = true;
  writer.join();
  r1.join();
  r2.join();
  EXPECT_GT(writes.load(), 0);
  EXPECT_GT(reads.load(), 0);
}

// A frame the writer filled: every pixel byte `value`.
std::shared_ptr<FrameBlock> Filled(int width, int height, std::uint8_t value) {
  auto block = std::make_shared<FrameBlock>(width, height, 24);
  std::memset(block->Pixels(), value, block->PixelBytes());
  return block;
}

bool Uniform(const FrameBlock& block, std::uint8_t value) {
  const std::uint8_t* p = block.Pixels();
  return std::all_of(p, p + block.PixelBytes(), [&](std::uint8_t b) { return b == value; });
}

TEST(FrameBufferStore, TradesBlocksWhenNobodyHoldsTheCurrentOne) {
  FrameBuffer buffer;
  buffer.Fit(64, 48, 24);
  const FrameBlock* previous = buffer.Current().get();
  const std::uint64_t generation = buffer.Generation();
  auto filled = Filled(64, 48, 7);
  const FrameBlock* frame = filled.get();
  ASSERT_TRUE(buffer.Store(filled));
  EXPECT_EQ(buffer.Current().get(), frame);
  EXPECT_EQ(filled.get(), previous);  // the writer fills the old block next
  EXPECT_EQ(buffer.Generation(), generation);
}

TEST(FrameBufferStore, CopiesIntoTheBlockAReaderHoldsAndRefusesAnotherSize) {
  FrameBuffer buffer;
  auto filled = Filled(64, 48, 9);
  EXPECT_FALSE(buffer.Store(filled));  // no block yet
  buffer.Fit(64, 48, 24);
  const auto held = buffer.Current();
  const FrameBlock* own = filled.get();
  ASSERT_TRUE(buffer.Store(filled));
  EXPECT_EQ(buffer.Current(), held);
  EXPECT_EQ(filled.get(), own);
  EXPECT_TRUE(Uniform(*held, 9));

  auto other = Filled(64, 47, 3);
  EXPECT_FALSE(buffer.Store(other));
  EXPECT_TRUE(Uniform(*held, 9));
  const std::uint64_t generation = buffer.Generation();
  buffer.Fit(64, 48, 24);
  EXPECT_GT(buffer.Generation(), generation);
}

// The writer fills its block outside every lock, as the acquisition thread does, and
// stores it; readers hold a block and read it under the frame lock, as the renderers do.
// A block traded away while a reader held it would show that reader a half-written frame.
TEST(FrameBufferStore, ReadersNeverSeeAFrameBeingWritten) {
  FrameBuffer buffer;
  buffer.Fit(256, 192, 24);
  std::atomic<bool> stop{false};
  std::atomic<long> torn{0}, reads{0};
  std::thread writer([&] {
    auto staging = Filled(256, 192, 1);
    for (std::uint8_t value = 1; !stop; value = static_cast<std::uint8_t>(value % 250 + 1)) {
      std::memset(staging->Pixels(), value, staging->PixelBytes());
      buffer.Store(staging);
    }
  });
  auto reader = [&] {
    while (!stop) {
      const auto block = buffer.Current();
      std::lock_guard lock(buffer.FrameLock());
      if (!Uniform(*block, block->Pixels()[0])) ++torn;
      ++reads;
    }
  };
  std::thread r1(reader), r2(reader);
  while (reads < 3000) std::this_thread::yield();
  stop = true;
  writer.join();
  r1.join();
  r2.join();
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
