#include "framework/wnd.h"

#include "framework/win_app.h"

namespace {
const wchar_t kObjectProperty[] = L"fw.CWnd";
}

CWnd::~CWnd() {
  if (!m_hWnd) return;
  if (ownsWindow_)
    ::DestroyWindow(m_hWnd);
  else
    Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) noexcept {
  return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty)) : nullptr;
}

BOOL CWnd::Attach(HWND hwnd, bool owned) noexcept {
  if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
  if (!::SetPropW(hwnd, kObjectProperty, this)) return FALSE;
  m_hWnd = hwnd;
  ownsWindow_ = owned;
  previousProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
  return TRUE;
}

void CWnd::Detach() noexcept {
  if (!m_hWnd) return;
  if (previousProc_) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
  ::RemovePropW(m_hWnd, kObjectProperty);
  m_hWnd = nullptr;
  previousProc_ = nullptr;
  ownsWindow_ = false;
}

BOOL CWnd::SubclassWindow(HWND hwnd) noexcept { return Attach(hwnd, false); }

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) noexcept {
  return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id))) : FALSE;
}

HWND CWnd::UnsubclassWindow() noexcept {
  HWND hwnd = m_hWnd;
  Detach();
  return hwnd;
}

BOOL CWnd::DestroyWindow() noexcept {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);  // WM_NCDESTROY unbinds the object
}

RECT CWnd::GetWindowRect() const noexcept {
  RECT r{};
  ::GetWindowRect(m_hWnd, &r);
  return r;
}

RECT CWnd::GetClientRect() const noexcept {
  RECT r{};
  ::GetClientRect(m_hWnd, &r);
  return r;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  switch (msg) {
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (dis->CtlType != ODT_MENU && ReflectToChild(dis->hwndItem, msg, wp, lp, &result)) return result;
      break;
    }
    default: break;
  }
  return DefWindowProc(msg, wp, lp);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) noexcept {
  if (previousProc_) return ::CallWindowProcW(previousProc_, m_hWnd, msg, wp, lp);
  return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() noexcept { return DefWindowProc(currentMsg_.message, currentMsg_.wParam, currentMsg_.lParam); }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

BOOL CWnd::ReflectToChild(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  CWnd* control = FromHandlePermanent(child);
  return control && control != this && control->OnChildNotify(msg, wp, lp, result);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
  CWnd* wnd = FromHandlePermanent(hwnd);
  if (!wnd) return ::DefWindowProcW(hwnd, msg, wp, lp);
  const MSG saved = wnd->currentMsg_;
  wnd->currentMsg_ = MSG{hwnd, msg, wp, lp, 0, {}};
  LRESULT result = 0;
  try {
    result = wnd->WindowProc(msg, wp, lp);
  } catch (...) {
    // Nothing may unwind through user32; the message counts as handled.
    result = 0;
  }
  wnd->currentMsg_ = saved;
  if (msg == WM_NCDESTROY && wnd->m_hWnd == hwnd) {
    wnd->Detach();
    wnd->PostNcDestroy();
  }
  return result;
}

BOOL AfxPreTranslateMessage(MSG* msg) {
  CWnd* mainWnd = AfxGetMainWnd();
  const HWND stop = mainWnd ? mainWnd->m_hWnd : nullptr;
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd); wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (hwnd == stop) return FALSE;
  }
  // A message for another top-level window (a modeless one) gets the main window's look too.
  if (mainWnd && mainWnd->m_hWnd && msg->hwnd) return mainWnd->PreTranslateMessage(msg);
  return FALSE;
}
