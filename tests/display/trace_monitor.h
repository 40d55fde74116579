#pragma once
// A stand-in for the debug monitor: a window titled "QZ Tracker" that keeps every
// WM_COPYDATA block it receives. It runs on its own thread unless asked to live on the
// caller's, which then has to pump messages.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace display_test {

class TraceMonitor {
 public:
  enum class Where { OwnThread, CallingThread };
  explicit TraceMonitor(Where where = Where::OwnThread);
  ~TraceMonitor();
  TraceMonitor(const TraceMonitor&) = delete;
  TraceMonitor& operator=(const TraceMonitor&) = delete;

  struct Block {
    WPARAM wParam;
    ULONG_PTR dwData;
    DWORD cbData;
    std::string bytes;  // all cbData bytes
  };
  std::vector<Block> Received() const;
  std::size_t Count() const;

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  HWND Create();

  mutable std::mutex mutex_;
  std::vector<Block> received_;
  std::thread thread_;
  std::atomic<HWND> hwnd_{nullptr};
  std::atomic<DWORD> threadId_{0};
};

}  // namespace display_test
