#include "display/scale_worker.h"

#include "display/picture_scaler.h"

namespace display {
namespace {

// Rows per take: small enough that a late thread leaves little undone, large enough that
// the counter and each call's set-up cost nothing next to the rows.
constexpr int kRowsPerTake = 16;

}  // namespace

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

void ScaleWorker::TakeRows(const Job& job) {
  const int viewHeight = job.plan->inputs.viewHeight;
  for (int first = nextRow_.fetch_add(kRowsPerTake); first < viewHeight; first = nextRow_.fetch_add(kRowsPerTake))
    ScaleRows(*job.plan, job.src, job.srcStride, job.dst, job.dstStride, first, first + kRowsPerTake);
}

void ScaleWorker::Scale(const ScalePlan& plan, const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
                        std::size_t dstStride) {
  if (!SplitPays(plan) || !EnsureThread()) {
    ScaleRows(plan, src, srcStride, dst, dstStride, 0, plan.inputs.viewHeight);
    return;
  }
  const Job job{&plan, src, srcStride, dst, dstStride};
  nextRow_.store(0);
  {
    std::lock_guard lock(mutex_);
    job_ = job;
    state_ = State::kOffered;
    failure_ = nullptr;
  }
  wake_.notify_one();
  ++framesOffered_;
  std::exception_ptr callerFailure;
  try {
    TakeRows(job);
  } catch (...) {
    callerFailure = std::current_exception();
  }
  std::exception_ptr threadFailure;
  {
    std::unique_lock lock(mutex_);
    if (state_ == State::kOffered) {  // it never woke: withdraw the offer
      state_ = State::kIdle;
      job_.reset();
    }
    finished_.wait(lock, [this] { return state_ == State::kIdle; });  // it still uses plan and dst
    threadFailure = failure_;
  }
  if (callerFailure) std::rethrow_exception(callerFailure);
  if (threadFailure) std::rethrow_exception(threadFailure);
}

void ScaleWorker::Run() noexcept {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || state_ == State::kOffered; });
    if (state_ != State::kOffered) return;  // asked to stop
    state_ = State::kTaken;
    const Job job = *job_;
    lock.unlock();
    std::exception_ptr failure;
    try {
      TakeRows(job);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    failure_ = failure;
    job_.reset();
    state_ = State::kIdle;
    finished_.notify_one();
  }
}

}  // namespace display
