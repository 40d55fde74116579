#include "display/trace.h"

#include <windows.h>

#include <cstring>

namespace display {

void TraceToMonitor(const char* text) noexcept {
  HWND monitor = ::FindWindowA(nullptr, kTraceMonitorTitle);
  if (!monitor) return;
  char buffer[kTraceBufferSize] = {};
  if (text) std::memcpy(buffer, text, ::strnlen(text, kTraceBufferSize - 1));
  COPYDATASTRUCT data{0, kTraceBufferSize, buffer};
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutA(monitor, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 500, &ignored);
}

}  // namespace display
