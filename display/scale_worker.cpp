#include "display/scale_worker.h"

#include "display/picture_scaler.h"

namespace display {

ScaleWorker::~ScaleWorker() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

bool ScaleWorker::EnsureThread() noexcept {
  if (thread_.joinable()) return true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (...) {
    return false;  // scale on the calling thread alone
  }
  return true;
}

void ScaleWorker::Scale(const ScalePlan& plan, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
                        std::size_t dstStride) {
  const int viewHeight = plan.inputs.viewHeight;
  if (!SplitPays(plan) || !EnsureThread()) {
    ScaleRows(plan, src, srcStride, dst, dstStride, 0, viewHeight);
    return;
  }
  const int split = BalancedSplitRow(plan);
  {
    std::lock_guard lock(mutex_);
    job_ = Job{&plan, src, srcStride, dst, dstStride, split, viewHeight};
    failure_ = nullptr;
  }
  wake_.notify_one();
  std::exception_ptr callerFailure;
  try {
    ScaleRows(plan, src, srcStride, dst, dstStride, 0, split);
  } catch (...) {
    callerFailure = std::current_exception();  // the thread still uses plan and dst: wait first
  }
  std::exception_ptr threadFailure;
  {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return !job_; });
    threadFailure = failure_;
  }
  ++framesShared_;
  if (threadFailure) std::rethrow_exception(threadFailure);
  if (callerFailure) std::rethrow_exception(callerFailure);
}

void ScaleWorker::Run() noexcept {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || job_; });
    if (!job_) return;  // asked to stop, nothing left to do
    const Job job = *job_;
    lock.unlock();
    std::exception_ptr failure;
    try {
      ScaleRows(*job.plan, job.src, job.srcStride, job.dst, job.dstStride, job.firstRow, job.endRow);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    failure_ = failure;
    job_.reset();
    finished_.notify_one();
  }
}

}  // namespace display
