#include "bench/bench_window.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

double MedianMs(int runs, const std::function<void()>& work) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> ms;
  work();  // warm-up
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    work();
    ::GdiFlush();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

fw::UniqueWindow MakeWindow(int width, int height) {
  static const ATOM cls = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Q7RenderBench";
    return ::RegisterClassW(&wc);
  }();
  (void)cls;
  fw::UniqueWindow wnd(::CreateWindowExW(0, L"Q7RenderBench", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                         nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  return wnd;
}

}  // namespace bench
