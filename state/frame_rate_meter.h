#pragma once
// Frame rates, lost frames and data rate for the information line.
//
// The hand-off side reports each frame the camera delivers (good, with its size, or bad); the
// renderer reports each frame it shows for the first time, by the number the delivery got.
// Rates are taken over the last second; counts run from the last Reset (Play).
// A frame is lost when it was bad, or when a newer frame replaced it before it was shown; the
// newest frame is not counted lost while it may still be shown. Safe to call from any thread.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

struct FrameRates {
  double shownPerSecond = 0;
  double cameraPerSecond = 0;     // every frame the camera delivered, good or bad
  double megabytesPerSecond = 0;  // bytes of good frames, 10^6 bytes per megabyte
  std::uint64_t delivered = 0;    // good frames since Reset
  std::uint64_t shown = 0;        // of them, shown
  std::uint64_t bad = 0;          // bad frames since Reset
  std::uint64_t dropped = 0;      // good frames the capture path could not take, since Reset
  std::uint64_t lost = 0;         // bad and dropped, plus good ones replaced before they were shown
};

class FrameRateMeter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kWindow = std::chrono::seconds(1);

  // Counts start afresh; rates forget the frames before.
  void Reset();
  // Good frame `number` (numbers rise from one frame to the next) of `bytes` bytes reached
  // the frame exchange; OnShown names it by the same number.
  void OnDelivered(Clock::time_point time, std::size_t bytes, std::uint64_t number);
  // The camera delivered a frame it marked bad.
  void OnBad(Clock::time_point time);
  // The camera delivered a good frame that the capture path could not take (the hand-off
  // was still busy with the one before): lost before it reached the frame exchange.
  void OnDropped(Clock::time_point time);
  // The renderer showed frame `number`. Redraws of a frame already shown, frames older than the
  // last one shown and frames delivered before the last Reset do not count.
  void OnShown(Clock::time_point time, std::uint64_t number);

  FrameRates Read(Clock::time_point now) const;

 private:
  // Arrival times (and sizes) within the last window: frames per second and bytes per second.
  class RateWindow {
   public:
    void Add(Clock::time_point time, std::size_t bytes);
    void Clear() { events_.clear(); }
    struct Rates {
      double perSecond = 0;
      double bytesPerSecond = 0;
    };
    // Over the events in (now - window, now]: the events after the first, and their bytes,
    // per second of the span from the first to the last.
    Rates Measure(Clock::time_point now) const;

   private:
    struct Event {
      Clock::time_point time;
      std::size_t bytes;
    };
    std::deque<Event> events_;
  };

  mutable std::mutex mutex_;
  RateWindow camera_;
  RateWindow shown_;
  std::uint64_t lastNumber_ = 0;   // of the newest delivered frame, never reset
  std::uint64_t firstNumber_ = 1;  // of the first frame since Reset
  std::uint64_t lastShownNumber_ = 0;
  std::uint64_t delivered_ = 0;
  std::uint64_t shownCount_ = 0;
  std::uint64_t bad_ = 0;
  std::uint64_t dropped_ = 0;
};
