#pragma once
// CQ7Fullview: the full-screen viewer. A borderless topmost window over one monitor (or the
// whole screen) that shows the live picture with its own render thread while the video
// window's is stopped. The left button pans, the wheel and the keypad's + and - zoom, and
// Escape, Enter or Alt+F4 close it, telling the notify window (the control panel).
#include <windows.h>

#include "app/app_state.h"
#include "display/drag_pan.h"
#include "display/render_thread.h"
#include "framework/critical_section.h"
#include "framework/dialog.h"

namespace display {
// Sent (wParam 0, lParam 0) to the notify window when the viewer closes itself; the
// receiver leaves full screen (LeaveFullScreen) and answers 1.
inline constexpr UINT kFullViewClosedMessage = WM_USER + 28;
}  // namespace display

class CQ7Fullview : public CDialog {
 public:
  // `frameLock` is the camera session's frame lock.
  CQ7Fullview(AppState& state, CCriticalSection& frameLock, CWnd* parent = nullptr) noexcept;
  ~CQ7Fullview() override;  // stops the render thread before the window goes

  HANDLE StartRenderThread() noexcept;
  void StopRenderThread() noexcept;
  bool IsRenderThreadRunning() const noexcept { return renderThread_.IsRunning(); }
  const display::RenderThread& RenderThreadControl() const noexcept { return renderThread_; }

  // The window told when the viewer closes itself; not owned.
  void SetNotifyWindow(CWnd* wnd) noexcept { notifyWnd_ = wnd; }
  CWnd* GetNotifyWindow() const noexcept { return notifyWnd_; }
  bool IsPanning() const noexcept { return panner_.IsPanning(); }

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  // Closing from inside: stop drawing, then let the notify window put the video window back.
  void OnOK() override;
  // Anything else that would end the dialog (a close command) closes it the same way.
  void OnCancel() override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  BOOL OnEraseBkgnd(HDC dc);
  BOOL OnSetCursor(UINT hitTest);
  void OnLButtonDown();
  void OnLButtonUp();
  void OnMouseMove();
  void OnMouseWheel(int delta);
  void OnKeyDown(UINT key);
  void OnCaptureChanged(HWND gainer);
  void OnDestroy();
  void Zoom(int direction);

  AppState& state_;
  display::DragPanner panner_;
  display::RenderThread renderThread_;
  CWnd* notifyWnd_ = nullptr;  // not owned
};
