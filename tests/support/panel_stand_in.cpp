#include "tests/support/panel_stand_in.h"

namespace testing_support {
namespace {
constexpr wchar_t kClassName[] = L"Q7PanelStandIn";
}

PanelStandIn::PanelStandIn(Handler handler) : handler_(std::move(handler)) {
  library_.reset(::LoadLibraryW(L"Q7Resource.dll"));
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &PanelStandIn::Proc;
  windowClass.lpszClassName = kClassName;
  ::RegisterClassW(&windowClass);  // fails harmlessly once registered
  window_.reset(::CreateWindowW(kClassName, L"", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr, nullptr, this));
  if (window_)
    status_ = ::CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 100, 20, window_.get(), nullptr, nullptr, nullptr);
}

std::wstring PanelStandIn::Status() const {
  wchar_t text[256] = L"";
  ::GetWindowTextW(status_, text, 256);
  return text;
}

LRESULT CALLBACK PanelStandIn::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams));
  const auto* self = reinterpret_cast<const PanelStandIn*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && self->handler_ && self->handler_(msg, wp, lp)) return 0;
  return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace testing_support
