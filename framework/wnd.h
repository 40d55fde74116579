#pragma once
// CWnd: a C++ object bound to one window. Each bound window's messages go through one
// static entry to the object's WindowProc, where derived classes keep one switch that
// unpacks the arguments and calls named handlers.
#include <windows.h>

class CWnd {
 public:
  CWnd() noexcept = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The object bound to a window by this framework, or null.
  static CWnd* FromHandlePermanent(HWND hwnd) noexcept;

  HWND GetSafeHwnd() const noexcept { return m_hWnd; }
  operator HWND() const noexcept { return GetSafeHwnd(); }

  // Binds an existing window (a dialog's control) to this object by subclassing it.
  BOOL SubclassWindow(HWND hwnd) noexcept;
  BOOL SubclassDlgItem(UINT id, CWnd* parent) noexcept;
  HWND UnsubclassWindow() noexcept;

  // Called for every message the modal or main loop takes from the queue, walking from
  // the message's window up through its parents; TRUE stops the message there.
  virtual BOOL PreTranslateMessage(MSG* msg);

  // Thin wrappers over the window functions; each returns the Win32 result.
  BOOL DestroyWindow() noexcept;
  BOOL ShowWindow(int cmd) const noexcept { return ::ShowWindow(m_hWnd, cmd); }
  BOOL IsWindowVisible() const noexcept { return ::IsWindowVisible(m_hWnd); }
  BOOL EnableWindow(BOOL enable) const noexcept { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const noexcept { return ::IsWindowEnabled(m_hWnd); }
  BOOL MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) const noexcept {
    return ::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
  }
  BOOL MoveWindow(const RECT& r, BOOL repaint = TRUE) const noexcept {
    return MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
  }
  BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) const noexcept {
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
  }
  RECT GetWindowRect() const noexcept;
  RECT GetClientRect() const noexcept;
  void Invalidate(BOOL erase = TRUE) const noexcept { ::InvalidateRect(m_hWnd, nullptr, erase); }
  BOOL SetWindowText(const wchar_t* text) const noexcept { return ::SetWindowTextW(m_hWnd, text); }
  HWND GetDlgItem(int id) const noexcept { return ::GetDlgItem(m_hWnd, id); }
  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const noexcept {
    return ::SendMessageW(m_hWnd, msg, wp, lp);
  }
  BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const noexcept {
    return ::PostMessageW(m_hWnd, msg, wp, lp);
  }

  HWND m_hWnd = nullptr;  // the bound window, owned unless it was subclassed from a dialog

 protected:
  // The object's message handler: derived classes switch on the message, call named
  // handlers and hand everything else to their base class.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  // The window's own processing of a message (the procedure it had before binding).
  LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) noexcept;
  // Default processing of the message being handled right now.
  LRESULT Default() noexcept;
  // A parent hands notifications that belong to a control (owner draw) to the control's
  // object first; TRUE means the control handled it and *result is the answer.
  virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  BOOL ReflectToChild(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
  // Called after the window is gone (WM_NCDESTROY); the object may be reused.
  virtual void PostNcDestroy() {}

  BOOL Attach(HWND hwnd, bool owned) noexcept;
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

 private:
  void Detach() noexcept;

  WNDPROC previousProc_ = nullptr;
  bool ownsWindow_ = false;
  MSG currentMsg_{};
};

// Runs PreTranslateMessage from the message's window up through its parents to the main
// window, then gives the main window a last look at messages for other top-level windows.
BOOL AfxPreTranslateMessage(MSG* msg);
