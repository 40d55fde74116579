#pragma once
// CPictureView: what the two picture views (the video window's picture control and the
// full-screen viewer) share on top of their window class: the render thread that draws the
// live picture into the window, drag panning, measuring by dragging, the open-hand cursor, the
// picture put back when part of the view is uncovered, and a render thread that always ends
// before the window does.
#include <windows.h>

#include <utility>

#include "display/drag_pan.h"
#include "display/measure_drag.h"
#include "display/render_thread.h"
#include "display/view_resources.h"
#include "framework/handles.h"
#include "state/app_state.h"

template <class TWindow>
class CPictureView : public TWindow {
 public:
  template <class... WindowArgs>
  explicit CPictureView(AppState& state, display::RenderThread::Trace trace, WindowArgs&&... windowArgs)
      : TWindow(std::forward<WindowArgs>(windowArgs)...),
        state_(state),
        panner_(state),
        measurer_(state),
        renderThread_(state, trace) {}
  ~CPictureView() override { StopRenderThread(); }

  // Start returns the running thread's handle (the same one when already running).
  HANDLE StartRenderThread() noexcept { return renderThread_.Start(this->m_hWnd); }
  void StopRenderThread() noexcept { renderThread_.Stop(); }
  bool IsRenderThreadRunning() const noexcept { return renderThread_.IsRunning(); }
  const display::RenderThread& RenderThreadControl() const noexcept { return renderThread_; }
  bool IsPanning() const noexcept { return panner_.IsPanning(); }
  bool IsMeasuring() const noexcept { return measurer_.IsMeasuring(); }
  void ShowHint(std::wstring text, DWORD durationMs) { renderThread_.ShowHint(std::move(text), durationMs); }

 protected:
  // The messages both views answer alike; each view's own switch passes the rest on here.
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    switch (msg) {
      case WM_SETCURSOR:
        if (display::ShowOpenHandCursor(state_, LOWORD(lp))) return TRUE;
        break;
      case WM_PAINT: {
        // Part of the view was uncovered: the last picture again, also while stopped.
        fw::ScopedPaint paint(this->m_hWnd);
        renderThread_.Repaint(paint.dc(), this->m_hWnd);
        return 0;
      }
      case WM_CAPTURECHANGED:
        // Without the capture the drag would go on with no button held.
        if (reinterpret_cast<HWND>(lp) != this->m_hWnd) {
          panner_.Cancel();
          measurer_.Cancel();
        }
        break;
      case WM_DESTROY:
        // The thread draws through this window's DC: it has to end before the window does.
        StopRenderThread();
        break;
      default: break;
    }
    return TWindow::WindowProc(msg, wp, lp);
  }

  AppState& state_;  // not owned
  display::DragPanner panner_;
  display::MeasureDragger measurer_;
  display::RenderThread renderThread_;
};
