#pragma once
// A second thread for scaling: while the caller scales the upper rows of a view, it scales
// the lower ones. One per render thread; started on first use, stopped by its destructor.
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

  // Scales every row of the view as ScaleRows does: split between the caller and the
  // second thread where that pays, all on the caller otherwise or when no thread can be
  // started. Returns when all rows are written; what a row's scaling throws comes out here.
  void Scale(const ScalePlan& plan, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
             std::size_t dstStride);

  // Frames whose rows were shared with the second thread (for tests and measurements).
  std::uint64_t FramesShared() const noexcept { return framesShared_; }

 private:
  struct Job {
    const ScalePlan* plan;
    const std::uint8_t* src;
    std::size_t srcStride;
    std::uint8_t* dst;
    std::size_t dstStride;
    int firstRow;
    int endRow;
  };

  bool EnsureThread() noexcept;
  void Run() noexcept;

  std::mutex mutex_;
  std::condition_variable wake_;      // a job or the stop request is there
  std::condition_variable finished_;  // the job is done
  std::optional<Job> job_;            // set by Scale, cleared by the thread when done
  std::exception_ptr failure_;        // what the thread's last job threw
  bool stop_ = false;
  std::uint64_t framesShared_ = 0;  // only the calling thread touches it
  std::thread thread_;              // last: it may run as soon as it exists
};

}  // namespace display
