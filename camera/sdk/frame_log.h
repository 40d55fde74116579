#pragma once
// The simulated sensor's frame log (Q7SIM_FRAME_LOG): one line per delivered good frame,
// "<frame number> <capture time>", the number as the picture's counter draws it (in full; the
// counter shows its low 16 bits) and the time the frame was complete as a FILETIME (100 ns
// units since 1601). Lines are kept in memory and written at most once a second and at
// close, so logging never slows the sensor.
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

namespace mvIMPACT::acquire::detail {

class FrameLog {
 public:
  // Appends to `path`; an empty path logs nothing.
  explicit FrameLog(std::wstring path) : path_(std::move(path)) {}
  ~FrameLog() { Flush(); }
  FrameLog(const FrameLog&) = delete;
  FrameLog& operator=(const FrameLog&) = delete;

  bool Enabled() const { return !path_.empty(); }
  // One frame, stamped now; kept in memory.
  void Add(std::uint64_t frameNumber);
  // Writes what is kept when the last write is a second old (the sensor's tick calls it).
  void FlushIfDue();
  void Flush();

 private:
  const std::wstring path_;
  std::string pending_;
  ULONGLONG lastFlush_ = 0;  // GetTickCount64
};

// Now as a FILETIME count, as precise as the system gives it.
std::uint64_t PreciseFileTimeNow();

}  // namespace mvIMPACT::acquire::detail
