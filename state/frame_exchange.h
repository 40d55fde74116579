#pragma once
// The frame exchange: where the capture path hands each new frame to whoever reads frames
// (the picture views and their live statistics, snapshots, timed series, recordings).
//
// - One writer (the camera's hand-off) publishes a block it has filled and gets back an
//   empty block of the same size to fill next: the previous frame's block when nobody reads
//   it, a spare one otherwise. Pixels are never copied on the way through.
// - Readers take a lease, which pins one frame (its pixels, number and capture time) for as
//   long as they hold it: a leased block is never written and never freed, so a reader needs
//   no lock. Holding a lease long only costs the writer a spare block.
// - A re-fit makes a black frame of a new size current at once; frames of the old size stay
//   whole for the readers that hold them and are freed by the last one.
// - Everything is guarded by the exchange's own mutex, held only to move pointers and
//   counts, never while pixels are copied or anybody waits for the camera.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "state/frame_block.h"

// Which frame a block holds: its number (counted by the writer from 1; 0 for the black
// picture of a re-fit) and when the camera delivered it (QueryPerformanceCounter ticks).
struct FrameStamp {
  std::uint64_t number = 0;
  std::int64_t capturedAt = 0;
};

struct FrameSize {
  int width = 0;
  int height = 0;
};

class FrameExchange {
  struct Frame;

 public:
  // One pinned frame; empty when there was none. Move-only; give it back by destroying it.
  class Lease {
   public:
    Lease() noexcept = default;
    Lease(Lease&& other) noexcept;
    Lease& operator=(Lease&& other) noexcept;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease();

    explicit operator bool() const noexcept { return frame_ != nullptr; }
    const FrameBlock& Block() const noexcept;
    const FrameStamp& Stamp() const noexcept;
    // The re-fit the frame belongs to (FrameExchange::Generation at its publication).
    std::uint64_t Generation() const noexcept;
    void Reset() noexcept;

   private:
    friend class FrameExchange;
    Lease(const FrameExchange* owner, Frame* frame) noexcept : owner_(owner), frame_(frame) {}

    const FrameExchange* owner_ = nullptr;  // not owned
    Frame* frame_ = nullptr;                // kept alive by this lease
  };

  FrameExchange();
  ~FrameExchange();  // every lease must have been given back
  FrameExchange(const FrameExchange&) = delete;
  FrameExchange& operator=(const FrameExchange&) = delete;

  // --- The writer (one thread at a time)

  // Makes a black frame of this size current (FitFrameBuffer); returns at once.
  void Refit(int width, int height, int bitsPerPixel = kFrameBitsPerPixel);
  // No current frame any more; leased frames stay until given back.
  void Free();
  // An empty block of the current frame's size for the writer to fill; null without one.
  std::unique_ptr<FrameBlock> EmptyBlock();
  // Makes `filled` the current frame, stamped `stamp`, and puts an empty block of the same
  // size into `filled` for the next one. False, and nothing changed, when `filled` is null
  // or not of the current frame's size (a frame taken before a re-fit).
  bool Publish(std::unique_ptr<FrameBlock>& filled, FrameStamp stamp);

  // --- Readers (any thread)

  // The current frame, pinned; empty when there is none.
  Lease Read() const;
  // Waits up to `timeout` for a frame numbered above `seen` and pins it; empty on time-out.
  Lease WaitForNewer(std::uint64_t seen, std::chrono::milliseconds timeout) const;
  // A copy of the current frame's whole block (header and pixels); empty without one.
  std::vector<std::uint8_t> CopyBlock() const;
  // The current frame's size, without pinning it.
  FrameSize Size() const;
  // The number of the newest frame published; a re-fit's black picture does not change it.
  std::uint64_t NewestNumber() const;
  // Counts re-fits and frees: the same count means the same picture size and no black
  // re-fit since.
  std::uint64_t Generation() const;

  // For tests and measurements: blocks the exchange keeps alive (current, leased, spare),
  // and leases held now.
  std::size_t BlocksAlive() const;
  std::size_t LeasesHeld() const;

 private:
  void Release(Frame* frame) const noexcept;
  // With mutex_ held: takes `frame` out of use; returns its block when nobody reads it.
  std::unique_ptr<FrameBlock> RetireLocked(std::unique_ptr<Frame> frame);

  mutable std::mutex mutex_;
  mutable std::condition_variable published_;
  std::unique_ptr<Frame> current_;
  // Frames replaced while leased; the last lease of each turns its block into a spare.
  mutable std::vector<std::unique_ptr<Frame>> retired_;
  // Empty blocks of the current size, for the writer.
  mutable std::vector<std::unique_ptr<FrameBlock>> spares_;
  std::uint64_t generation_ = 0;
  std::uint64_t newest_ = 0;
};
