#pragma once
// A second thread for scaling: the caller and the thread take the rows of a view in small
// blocks from a shared counter, so a thread that wakes late (a busy machine) leaves the
// rest to the other and nothing waits for it. One per render thread; started on first use,
// stopped by its destructor. Scale is called from one thread at a time.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "display/scale_plan.h"

namespace display {

class ScaleWorker {
 public:
  ScaleWorker() = default;
  ~ScaleWorker();  // stops the thread
  ScaleWorker(const ScaleWorker&) = delete;
  ScaleWorker& operator=(const ScaleWorker&) = delete;

  // Scales every row of the view as ScaleRows does, with the second thread's help where
  // that pays (SplitPays), on the calling thread alone otherwise or when no thread can be
  // started. Returns when all rows are written; what scaling throws comes out here.
  void Scale(const ScalePlan& plan, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
             std::size_t dstStride);

  // Frames for which the second thread was asked to help (for tests and measurements).
  std::uint64_t FramesOffered() const noexcept { return framesOffered_; }

 private:
  struct Job {
    const ScalePlan* plan;
    const std::uint8_t* src;
    std::size_t srcStride;
    std::uint8_t* dst;
    std::size_t dstStride;
  };
  enum class State { kIdle, kOffered, kTaken };

  bool EnsureThread() noexcept;
  // Scales blocks of rows from the shared counter until none is left.
  void TakeRows(const Job& job);
  void Run() noexcept;

  std::atomic<int> nextRow_{0};
  std::mutex mutex_;
  std::condition_variable wake_;      // a job is offered, or the thread is to stop
  std::condition_variable finished_;  // the thread is done with the job it took
  State state_ = State::kIdle;        // guarded by mutex_, as are the three below
  std::optional<Job> job_;
  std::exception_ptr failure_;  // what the thread's share of the last job threw
  bool stop_ = false;
  std::uint64_t framesOffered_ = 0;  // only the calling thread touches it
  std::thread thread_;               // last: it may run as soon as it exists
};

}  // namespace display
