#include "state/frame_exchange.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

namespace {

// Spare blocks beyond these are freed: two cover a reader that holds one frame while the
// writer fills the next; more would only keep 15 MB blocks nobody needs.
constexpr std::size_t kMaxSpares = 2;

}  // namespace

struct FrameExchange::Frame {
  std::unique_ptr<FrameBlock> block;
  FrameStamp stamp;
  std::uint64_t generation = 0;
  int readers = 0;  // leases held
};

// --- Lease

FrameExchange::Lease::Lease(Lease&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), frame_(std::exchange(other.frame_, nullptr)) {}

FrameExchange::Lease& FrameExchange::Lease::operator=(Lease&& other) noexcept {
  if (this != &other) {
    Reset();
    owner_ = std::exchange(other.owner_, nullptr);
    frame_ = std::exchange(other.frame_, nullptr);
  }
  return *this;
}

FrameExchange::Lease::~Lease() { Reset(); }

void FrameExchange::Lease::Reset() noexcept {
  if (frame_) owner_->Release(frame_);
  owner_ = nullptr;
  frame_ = nullptr;
}

const FrameBlock& FrameExchange::Lease::Block() const noexcept { return *frame_->block; }
const FrameStamp& FrameExchange::Lease::Stamp() const noexcept { return frame_->stamp; }
std::uint64_t FrameExchange::Lease::Generation() const noexcept { return frame_->generation; }

// --- Exchange

FrameExchange::FrameExchange() = default;

FrameExchange::~FrameExchange() {
  std::lock_guard lock(mutex_);
  assert(retired_.empty() && (!current_ || current_->readers == 0));
}

std::unique_ptr<FrameBlock> FrameExchange::RetireLocked(std::unique_ptr<Frame> frame) {
  if (!frame) return nullptr;
  if (frame->readers == 0) return std::move(frame->block);
  retired_.push_back(std::move(frame));
  return nullptr;
}

void FrameExchange::Refit(int width, int height, int bitsPerPixel) {
  auto frame = std::make_unique<Frame>();
  frame->block = std::make_unique<FrameBlock>(width, height, bitsPerPixel);  // outside the lock: 15 MB of zeros
  std::unique_ptr<FrameBlock> unused;
  std::vector<std::unique_ptr<FrameBlock>> oldSpares;
  {
    std::lock_guard lock(mutex_);
    frame->generation = ++generation_;
    unused = RetireLocked(std::exchange(current_, std::move(frame)));
    oldSpares.swap(spares_);
  }
  published_.notify_all();
  // The old blocks are freed here, outside the lock.
}

void FrameExchange::Free() {
  std::unique_ptr<FrameBlock> unused;
  std::vector<std::unique_ptr<FrameBlock>> oldSpares;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    unused = RetireLocked(std::move(current_));
    oldSpares.swap(spares_);
  }
}

std::unique_ptr<FrameBlock> FrameExchange::EmptyBlock() {
  FrameLayout layout;
  {
    std::lock_guard lock(mutex_);
    if (!current_) return nullptr;
    if (!spares_.empty()) {
      auto spare = std::move(spares_.back());
      spares_.pop_back();
      return spare;
    }
    const FrameBlock& block = *current_->block;
    layout = ComputeFrameLayout(block.Width(), block.Height(), block.Header().biBitCount);
  }
  return std::make_unique<FrameBlock>(layout.width, layout.height, layout.bitsPerPixel);
}

bool FrameExchange::Publish(std::unique_ptr<FrameBlock>& filled, FrameStamp stamp) {
  if (!filled) return false;
  auto frame = std::make_unique<Frame>();
  std::unique_ptr<FrameBlock> empty;
  const FrameLayout shape = ComputeFrameLayout(filled->Width(), filled->Height(), filled->Header().biBitCount);
  {
    std::lock_guard lock(mutex_);
    if (!current_ || !current_->block->SameShape(*filled)) return false;
    frame->block = std::move(filled);
    frame->stamp = stamp;
    newest_ = std::max(newest_, stamp.number);
    frame->generation = generation_;
    // The previous frame's block comes straight back when nobody reads it: the trade that
    // makes a new frame cost no copy.
    empty = RetireLocked(std::exchange(current_, std::move(frame)));
    if (!empty && !spares_.empty()) {
      empty = std::move(spares_.back());
      spares_.pop_back();
    }
  }
  published_.notify_all();
  // Every other block is being read: one more, made outside the lock.
  if (!empty) empty = std::make_unique<FrameBlock>(shape.width, shape.height, shape.bitsPerPixel);
  filled = std::move(empty);
  return true;
}

void FrameExchange::Release(Frame* frame) const noexcept {
  std::unique_ptr<FrameBlock> unused;
  {
    std::lock_guard lock(mutex_);
    if (--frame->readers > 0 || frame == current_.get()) return;
    const auto it = std::find_if(retired_.begin(), retired_.end(), [&](const auto& f) { return f.get() == frame; });
    if (it == retired_.end()) return;
    std::unique_ptr<Frame> retired = std::move(*it);
    retired_.erase(it);
    // The block becomes a spare when the writer can use it; otherwise it is freed below.
    if (current_ && current_->block->SameShape(*retired->block) && spares_.size() < kMaxSpares)
      spares_.push_back(std::move(retired->block));
    else
      unused = std::move(retired->block);
  }
}

FrameExchange::Lease FrameExchange::Read() const {
  std::lock_guard lock(mutex_);
  if (!current_) return {};
  ++current_->readers;
  return Lease(this, current_.get());
}

FrameExchange::Lease FrameExchange::WaitForNewer(std::uint64_t seen, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  if (!published_.wait_for(lock, timeout, [&] { return current_ && current_->stamp.number > seen; })) return {};
  ++current_->readers;
  return Lease(this, current_.get());
}

std::vector<std::uint8_t> FrameExchange::CopyBlock() const {
  const Lease lease = Read();
  if (!lease) return {};
  const FrameBlock& block = lease.Block();
  return std::vector<std::uint8_t>(block.Data(), block.Data() + block.Size());
}

FrameSize FrameExchange::Size() const {
  std::lock_guard lock(mutex_);
  if (!current_) return {};
  return {current_->block->Width(), current_->block->Height()};
}

std::uint64_t FrameExchange::NewestNumber() const {
  std::lock_guard lock(mutex_);
  return newest_;
}

std::uint64_t FrameExchange::Generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

std::size_t FrameExchange::BlocksAlive() const {
  std::lock_guard lock(mutex_);
  return (current_ ? 1 : 0) + retired_.size() + spares_.size();
}

std::size_t FrameExchange::LeasesHeld() const {
  std::lock_guard lock(mutex_);
  std::size_t held = current_ ? static_cast<std::size_t>(current_->readers) : 0;
  for (const auto& frame : retired_) held += static_cast<std::size_t>(frame->readers);
  return held;
}
