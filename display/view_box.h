#pragma once
// CViewBox: the picture control inside the video window. Its render thread draws the live
// picture into it; the right mouse button pans the picture, while left-button presses,
// releases and plain moves go on to the video window, which moves or resizes itself. Uncovered
// parts are painted with the last picture, so it stays whole while the camera is stopped.
#include <windows.h>

#include "app/app_state.h"
#include "display/drag_pan.h"
#include "display/render_thread.h"
#include "framework/critical_section.h"
#include "framework/wnd.h"

class CViewBox : public CWnd {
 public:
  // `frameLock` is the camera session's frame lock.
  CViewBox(AppState& state, CCriticalSection& frameLock) noexcept;
  ~CViewBox() override;  // stops the render thread

  // Start returns the running thread's handle (the same one when already running).
  HANDLE StartRenderThread() noexcept;
  void StopRenderThread() noexcept;
  bool IsRenderThreadRunning() const noexcept { return renderThread_.IsRunning(); }
  const display::RenderThread& RenderThreadControl() const noexcept { return renderThread_; }
  bool IsPanning() const noexcept { return panner_.IsPanning(); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnPaint();
  BOOL OnSetCursor(UINT hitTest);
  void OnLeftButton(UINT msg, UINT flags, POINT pt);
  void OnMouseMove(UINT flags, POINT pt);
  void OnRButtonDown();
  void OnRButtonUp();
  void OnCaptureChanged(HWND gainer);
  void OnDestroy();
  // The parent gets the point as received, in this control's client coordinates.
  void ForwardToParent(UINT msg, UINT flags, POINT pt) const;

  AppState& state_;
  display::DragPanner panner_;
  display::RenderThread renderThread_;
};
