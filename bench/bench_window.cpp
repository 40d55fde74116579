#include "bench/bench_window.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {
namespace {

double FileTimeSeconds(const FILETIME& ft) {
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return static_cast<double>(v.QuadPart) / 1e7;
}

}  // namespace

CpuSample SampleCpu(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  CpuSample s;
  if (thread && ::GetThreadTimes(thread, &created, &exited, &kernel, &user))
    s.thread = FileTimeSeconds(kernel) + FileTimeSeconds(user);
  if (::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
    s.process = FileTimeSeconds(kernel) + FileTimeSeconds(user);
  return s;
}

std::vector<double> MediansInTurnsMs(int runs, const std::vector<std::function<void()>>& works) {
  using Clock = std::chrono::steady_clock;
  std::vector<std::vector<double>> ms(works.size());
  for (const auto& work : works) work();  // warm-up
  for (int i = 0; i < runs; ++i) {
    for (std::size_t w = 0; w < works.size(); ++w) {
      const auto t0 = Clock::now();
      works[w]();
      ::GdiFlush();
      ms[w].push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
  }
  std::vector<double> medians;
  for (auto& m : ms) {
    std::sort(m.begin(), m.end());
    medians.push_back(m[m.size() / 2]);
  }
  return medians;
}

double MedianMs(int runs, const std::function<void()>& work) { return MediansInTurnsMs(runs, {work}).front(); }

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

ScreenArea::ScreenArea(const RECT& area)
    : area_(area),
      width_(area.right - area.left),
      height_(area.bottom - area.top),
      screen_(nullptr),
      dc_(::CreateCompatibleDC(screen_.get())),
      bitmap_([&] {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        return ::CreateDIBSection(screen_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
      }()),
      select_(dc_.get(), bitmap_.get()) {}

const std::uint32_t* ScreenArea::Read() {
  ::BitBlt(dc_.get(), 0, 0, width_, height_, screen_.get(), area_.left, area_.top, SRCCOPY);
  ::GdiFlush();
  return static_cast<const std::uint32_t*>(bits_);
}

void Pump(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  while (::GetTickCount64() < end) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace bench
