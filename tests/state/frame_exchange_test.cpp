#include "state/frame_exchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

bool Uniform(const FrameBlock& block, std::uint8_t value) {
  const std::uint8_t* p = block.Pixels();
  return std::all_of(p, p + block.PixelBytes(), [&](std::uint8_t b) { return b == value; });
}

std::unique_ptr<FrameBlock> Filled(int width, int height, std::uint8_t value) {
  auto block = std::make_unique<FrameBlock>(width, height, 24);
  std::memset(block->Pixels(), value, block->PixelBytes());
  return block;
}

TEST(FrameLayoutRules, BlockIsHeaderPlusPaddedRows) {
  FrameExchange frames;
  frames.Refit(640, 480);
  const FrameExchange::Lease lease = frames.Read();
  ASSERT_TRUE(lease);
  const FrameBlock& block = lease.Block();
  EXPECT_EQ(block.Size(), 921640u);
  EXPECT_EQ(block.Stride(), 1920u);
  const BITMAPINFOHEADER& h = block.Header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 640);
  EXPECT_EQ(h.biHeight, -480);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(h.biSizeImage, 921600u);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(block.Pixels(), block.Data() + 40);
  EXPECT_TRUE(Uniform(block, 0));

  EXPECT_EQ(ComputeFrameLayout(2592, 1944, 24).imageSize, 15116544u);
  EXPECT_EQ(ComputeFrameLayout(641, 480, 24).stride, 1924u);  // 1923 bytes padded to 4
  EXPECT_EQ(ComputeFrameLayout(-5, 480, 24).imageSize, 0u);
  BITMAPINFOHEADER masks{};
  masks.biSize = 40;
  masks.biCompression = BI_BITFIELDS;
  EXPECT_EQ(FirstPixelOffset(masks), 52u);
}

TEST(FrameExchangeTrade, TheWriterGetsThePreviousBlockBackWhenNobodyReadsIt) {
  FrameExchange frames;
  auto filled = Filled(64, 48, 7);
  EXPECT_FALSE(frames.Publish(filled, {1, 0}));  // nothing to publish into before the first re-fit
  frames.Refit(64, 48);
  const FrameBlock* black = &frames.Read().Block();
  const FrameBlock* frame = filled.get();
  ASSERT_TRUE(frames.Publish(filled, {1, 42}));
  EXPECT_EQ(filled.get(), black);  // no copy, no new block
  const FrameExchange::Lease lease = frames.Read();
  EXPECT_EQ(&lease.Block(), frame);
  EXPECT_EQ(lease.Stamp().number, 1u);
  EXPECT_EQ(lease.Stamp().capturedAt, 42);
  EXPECT_EQ(frames.NewestNumber(), 1u);

  auto other = Filled(64, 47, 3);
  EXPECT_FALSE(frames.Publish(other, {2, 0}));  // taken before a re-fit: refused, kept by the writer
  EXPECT_TRUE(other);
  EXPECT_EQ(frames.NewestNumber(), 1u);
}

// The issue of the old buffer: a reader could see its frame overwritten. A lease pins it.
TEST(FrameExchangeLease, KeepsItsFrameWholeWhileAThousandFramesArePublished) {
  FrameExchange frames;
  frames.Refit(256, 192);
  auto block = Filled(256, 192, 200);
  ASSERT_TRUE(frames.Publish(block, {1, 0}));
  const FrameExchange::Lease held = frames.Read();
  for (std::uint64_t n = 2; n <= 1001; ++n) {
    std::memset(block->Pixels(), static_cast<int>(n % 199), block->PixelBytes());
    ASSERT_TRUE(frames.Publish(block, {n, 0}));
  }
  EXPECT_TRUE(Uniform(held.Block(), 200));
  EXPECT_EQ(held.Stamp().number, 1u);
  EXPECT_EQ(frames.NewestNumber(), 1001u);
  EXPECT_LE(frames.BlocksAlive(), 4u);  // a held frame costs one spare, not a block per frame
}

TEST(FrameExchangeLease, ARefitLeavesHeldFramesWholeAndFreesThemWithTheirLastLease) {
  FrameExchange frames;
  frames.Refit(64, 48);
  auto block = Filled(64, 48, 9);
  ASSERT_TRUE(frames.Publish(block, {5, 0}));
  FrameExchange::Lease held = frames.Read();
  const std::uint64_t generation = frames.Generation();
  frames.Refit(128, 96);
  EXPECT_GT(frames.Generation(), generation);
  EXPECT_EQ(held.Block().Width(), 64);
  EXPECT_TRUE(Uniform(held.Block(), 9));
  const FrameExchange::Lease now = frames.Read();
  EXPECT_EQ(now.Block().Width(), 128);
  EXPECT_EQ(now.Stamp().number, 0u);  // the black picture of the re-fit
  EXPECT_TRUE(Uniform(now.Block(), 0));
  EXPECT_FALSE(frames.Publish(block, {6, 0}));  // the writer's old size is refused
  EXPECT_EQ(frames.BlocksAlive(), 2u);
  held.Reset();
  EXPECT_EQ(frames.BlocksAlive(), 1u);  // of another size: freed, not kept as a spare
  frames.Free();
  EXPECT_FALSE(frames.Read());
  EXPECT_EQ(now.Block().Width(), 128);  // still readable by its holder
}

TEST(FrameExchangeLease, WaitForNewerWakesOnAPublicationAndTimesOutWithoutOne) {
  FrameExchange frames;
  frames.Refit(32, 24);
  EXPECT_FALSE(frames.WaitForNewer(0, 20ms));
  std::thread writer([&] {
    auto block = Filled(32, 24, 1);
    frames.Publish(block, {1, 0});
  });
  const FrameExchange::Lease lease = frames.WaitForNewer(0, 10s);
  writer.join();
  ASSERT_TRUE(lease);
  EXPECT_EQ(lease.Stamp().number, 1u);
}

// A writer publishing as fast as it can, readers leasing and checking every frame, and
// re-fits of changing sizes: a leased block written or freed shows as a torn frame, a wrong
// size or a crash under Wine's heap.
TEST(FrameExchangeLease, ReadersNeverSeeAFrameBeingWrittenWhileRefitsComeAndGo) {
  FrameExchange frames;
  frames.Refit(256, 192);
  std::atomic<bool> stop{false};
  std::atomic<long> torn{0}, reads{0};
  std::thread writer([&] {
    std::unique_ptr<FrameBlock> block;
    for (std::uint64_t n = 1; !stop; ++n) {
      if (!block) block = frames.EmptyBlock();
      if (!block) continue;
      std::memset(block->Pixels(), static_cast<int>(n % 250 + 1), block->PixelBytes());
      if (!frames.Publish(block, {n, 0})) block.reset();  // re-fitted meanwhile: start again
    }
  });
  auto reader = [&] {
    while (!stop) {
      const FrameExchange::Lease lease = frames.Read();
      if (!lease) continue;
      const FrameBlock& block = lease.Block();
      if (!Uniform(block, block.Pixels()[0]) || block.PixelBytes() != block.Stride() * block.Height()) ++torn;
      ++reads;
    }
  };
  std::thread r1(reader), r2(reader);
  const int sizes[][2] = {{256, 192}, {640, 480}, {257, 191}};
  for (int i = 0; reads < 3000 || i < 30; ++i) {
    if (i % 10 == 0) frames.Refit(sizes[(i / 10) % 3][0], sizes[(i / 10) % 3][1]);
    std::this_thread::sleep_for(1ms);
  }
  stop = true;
  writer.join();
  r1.join();
  r2.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_LE(frames.BlocksAlive(), 3u);
}

}  // namespace
