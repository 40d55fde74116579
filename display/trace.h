#pragma once
// The one debug trace: a line of text sent by WM_COPYDATA to a monitor window titled
// "QZ Tracker" that lives outside this program. Without such a window it does nothing.
namespace display {

inline constexpr char kTraceMonitorTitle[] = "QZ Tracker";
inline constexpr unsigned kTraceBufferSize = 256;

// Sends `text`, cut to 255 characters and NUL-terminated in a 256-byte block. The text is
// copied as it is, never used as a format. A monitor that hangs is given up on after a short
// wait, so the caller (a render thread) cannot be held up for long.
void TraceToMonitor(const char* text) noexcept;

}  // namespace display
