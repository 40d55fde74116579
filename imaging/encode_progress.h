#pragma once
// How far an encoding has come, for encoders that can tell: the slow ones (the Windows Imaging
// Component's, which take the picture in strips, and JPEG 2000, which counts its code-blocks).
// The others are done in a few tens of milliseconds and never call it.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace q7::imaging {

// Called with a whole percentage, 0 to 100, from whichever thread does the work; each value at
// most once per encoding, in rising order, never two calls at once.
using EncodeProgress = std::function<void(int percent)>;

// Turns units of work done into percentages. Add may be called from several threads at once.
class ProgressCounter {
 public:
  // `report` may be empty (then nothing is reported) and must outlive the counter.
  ProgressCounter(const EncodeProgress& report, std::uint64_t total) noexcept : report_(report), total_(total) {}
  ProgressCounter(const ProgressCounter&) = delete;
  ProgressCounter& operator=(const ProgressCounter&) = delete;

  void Add(std::uint64_t units) {
    if (!report_ || total_ == 0) return;
    const std::uint64_t done = done_.fetch_add(units) + units;
    const int percent = static_cast<int>(std::min<std::uint64_t>(done, total_) * 100 / total_);
    if (percent <= shown_.load()) return;  // the common case: no lock
    std::lock_guard lock(reporting_);
    if (percent <= shown_.load()) return;
    shown_.store(percent);
    report_(percent);
  }

 private:
  const EncodeProgress& report_;
  const std::uint64_t total_;
  std::atomic<std::uint64_t> done_{0};
  std::atomic<int> shown_{-1};  // written only under reporting_
  std::mutex reporting_;        // keeps the reports in order
};

}  // namespace q7::imaging
