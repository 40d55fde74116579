#include "camera/sdk/frame_log.h"

#include <cstdio>
#include <memory>

namespace mvIMPACT::acquire::detail {

namespace {
constexpr ULONGLONG kFlushEveryMs = 1000;
}  // namespace

std::uint64_t PreciseFileTimeNow() {
  // Windows 8 and later have the precise clock; Windows 7 gets the ordinary one.
  using PreciseClock = VOID(WINAPI*)(LPFILETIME);
  static const auto precise = reinterpret_cast<PreciseClock>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME t{};
  if (precise)
    precise(&t);
  else
    ::GetSystemTimeAsFileTime(&t);
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

void FrameLog::Add(std::uint64_t frameNumber) {
  if (!Enabled()) return;
  char line[48];
  const int n = std::snprintf(line, sizeof line, "%llu %llu\n", static_cast<unsigned long long>(frameNumber),
                              static_cast<unsigned long long>(PreciseFileTimeNow()));
  if (n > 0) pending_.append(line, static_cast<std::size_t>(n));
}

void FrameLog::FlushIfDue() {
  if (!pending_.empty() && ::GetTickCount64() - lastFlush_ >= kFlushEveryMs) Flush();
}

void FrameLog::Flush() {
  lastFlush_ = ::GetTickCount64();
  if (pending_.empty()) return;
  std::unique_ptr<void, decltype(&::CloseHandle)> file(
      ::CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr),
      &::CloseHandle);
  if (file.get() == INVALID_HANDLE_VALUE) {
    (void)file.release();  // nothing to close
    return;                // a log that cannot be written is no reason to stop the sensor
  }
  DWORD written = 0;
  ::WriteFile(file.get(), pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr);
  pending_.clear();
}

}  // namespace mvIMPACT::acquire::detail
