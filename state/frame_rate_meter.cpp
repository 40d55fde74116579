#include "state/frame_rate_meter.h"

#include <algorithm>

void FrameRateMeter::RateWindow::Add(Clock::time_point time, std::size_t bytes) {
  while (!events_.empty() && events_.front().time <= time - kWindow) events_.pop_front();
  events_.push_back({time, bytes});
}

FrameRateMeter::RateWindow::Rates FrameRateMeter::RateWindow::Measure(Clock::time_point now) const {
  const auto first =
      std::find_if(events_.begin(), events_.end(), [&](const Event& e) { return e.time > now - kWindow; });
  if (first == events_.end()) return {};
  const double seconds = std::chrono::duration<double>(events_.back().time - first->time).count();
  if (!(seconds > 0)) return {};
  Rates r;
  for (auto e = std::next(first); e != events_.end(); ++e) {
    r.perSecond += 1;
    r.bytesPerSecond += static_cast<double>(e->bytes);
  }
  r.perSecond /= seconds;
  r.bytesPerSecond /= seconds;
  return r;
}

void FrameRateMeter::Reset() {
  std::lock_guard lock(mutex_);
  camera_.Clear();
  shown_.Clear();
  firstNumber_ = lastNumber_ + 1;
  lastShownNumber_ = lastNumber_;
  delivered_ = 0;
  shownCount_ = 0;
  bad_ = 0;
  dropped_ = 0;
}

void FrameRateMeter::OnDelivered(Clock::time_point time, std::size_t bytes, std::uint64_t number) {
  std::lock_guard lock(mutex_);
  camera_.Add(time, bytes);
  ++delivered_;
  lastNumber_ = number;
}

void FrameRateMeter::OnDropped(Clock::time_point time) {
  std::lock_guard lock(mutex_);
  camera_.Add(time, 0);
  ++dropped_;
}

void FrameRateMeter::OnBad(Clock::time_point time) {
  std::lock_guard lock(mutex_);
  camera_.Add(time, 0);
  ++bad_;
}

void FrameRateMeter::OnShown(Clock::time_point time, std::uint64_t number) {
  std::lock_guard lock(mutex_);
  if (number < firstNumber_ || number <= lastShownNumber_ || number > lastNumber_) return;
  lastShownNumber_ = number;
  shown_.Add(time, 0);
  ++shownCount_;
}

FrameRates FrameRateMeter::Read(Clock::time_point now) const {
  std::lock_guard lock(mutex_);
  FrameRates r;
  const RateWindow::Rates camera = camera_.Measure(now);
  r.shownPerSecond = shown_.Measure(now).perSecond;
  r.cameraPerSecond = camera.perSecond;
  r.megabytesPerSecond = camera.bytesPerSecond / 1e6;
  r.delivered = delivered_;
  r.shown = shownCount_;
  r.bad = bad_;
  r.dropped = dropped_;
  // The newest frame is not lost yet: the renderer may still show it.
  const std::uint64_t waiting = delivered_ > 0 && lastShownNumber_ < lastNumber_ ? 1 : 0;
  r.lost = bad_ + dropped_ + (delivered_ - shownCount_ - waiting);
  return r;
}
