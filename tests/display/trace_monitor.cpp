#include "tests/display/trace_monitor.h"

#include "tests/display/test_pixels.h"

namespace display_test {

TraceMonitor::TraceMonitor(Where where) {
  if (where == Where::CallingThread) {
    hwnd_ = Create();
    return;
  }
  thread_ = std::thread([this] {
    threadId_ = ::GetCurrentThreadId();
    hwnd_ = Create();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::DestroyWindow(hwnd_.load());
  });
  PumpUntil([this] { return hwnd_.load() != nullptr; });
}

TraceMonitor::~TraceMonitor() {
  if (thread_.joinable()) {
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  } else if (hwnd_.load()) {
    ::DestroyWindow(hwnd_.load());
  }
}

HWND TraceMonitor::Create() {
  static const ATOM cls = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &TraceMonitor::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Q7TestTraceMonitor";
    return ::RegisterClassW(&wc);
  }();
  (void)cls;
  HWND hwnd = ::CreateWindowExW(0, L"Q7TestTraceMonitor", L"QZ Tracker", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return hwnd;
}

LRESULT CALLBACK TraceMonitor::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    auto* self = reinterpret_cast<TraceMonitor*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (self && data) {
      std::lock_guard lock(self->mutex_);
      self->received_.push_back(
          {wp, data->dwData, data->cbData, std::string(static_cast<const char*>(data->lpData), data->cbData)});
    }
    return TRUE;
  }
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

std::vector<TraceMonitor::Block> TraceMonitor::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::size_t TraceMonitor::Count() const {
  std::lock_guard lock(mutex_);
  return received_.size();
}

}  // namespace display_test
