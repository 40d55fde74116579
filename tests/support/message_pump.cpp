#include "tests/support/message_pump.h"

#include "framework/wnd.h"

namespace testing_support {

void PumpPending() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (AfxPreTranslateMessage(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const ULONGLONG giveUp = ::GetTickCount64() + limitMs;
  for (;;) {
    PumpPending();
    if (done()) return true;
    if (::GetTickCount64() > giveUp) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  PumpUntil([&] { return ::GetTickCount64() >= end; }, ms + 1000);
}

}  // namespace testing_support
