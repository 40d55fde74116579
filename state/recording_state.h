#pragma once
// What the picture views and the information line show of a recording: the panel's recording
// controller sets it, the render threads read it.
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <string>

struct RecordingState {
  std::atomic<bool> on{false};               // a red dot and the time in the picture's corner
  std::atomic<double> seconds{0.0};          // recorded so far
  std::atomic<double> framesPerSecond{0.0};  // pictures recorded per second, lately
};

// "00:01:23": hours, minutes and seconds of a recording (more digits past 99 hours).
inline std::wstring FormatRecordingClock(double seconds) {
  const auto whole = static_cast<unsigned long long>(seconds > 0 ? seconds : 0);
  wchar_t text[32];
  std::swprintf(text, 32, L"%02llu:%02llu:%02llu", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}
