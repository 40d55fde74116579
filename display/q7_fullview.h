#pragma once
// CQ7Fullview: the full-screen viewer. A borderless topmost window over one monitor (or the
// whole screen) that shows the live picture with its own render thread while the video
// window's is stopped. The left button pans (the right one too; while the measuring tool is on
// the left one measures), the wheel and the keypad's + and - zoom, and Escape, Enter or Alt+F4
// close it, telling the notify window (the control panel); Escape clears the measured lines
// first, while there are any.
#include <windows.h>

#include <functional>

#include "display/picture_view.h"
#include "framework/dialog.h"

namespace display {
// Sent (wParam 0, lParam 0) to the notify window when the viewer closes itself; the
// receiver leaves full screen (LeaveFullScreen) and answers 1.
inline constexpr UINT kFullViewClosedMessage = WM_USER + 28;
}  // namespace display

class CQ7Fullview : public CPictureView<CDialog> {
 public:
  // `resumeVideo` gives the picture back to the video window when the viewer closes with no
  // notify window to do it.
  CQ7Fullview(AppState& state, std::function<void()> resumeVideo, CWnd* parent = nullptr);

  // The window told when the viewer closes itself; not owned.
  void SetNotifyWindow(CWnd* wnd) noexcept { notifyWnd_ = wnd; }
  CWnd* GetNotifyWindow() const noexcept { return notifyWnd_; }

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  // Closing from inside: stop drawing, then let the notify window put the video window back.
  void OnOK() override;
  // Anything else that would end the dialog (a close command) closes it the same way.
  void OnCancel() override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  BOOL OnEraseBkgnd(HDC dc);
  void OnLButtonDown(POINT pt);
  void OnLButtonUp(POINT pt);
  void OnRButtonDown();
  void OnRButtonUp();
  void OnMouseMove(POINT pt);
  void OnMouseWheel(int delta);
  void OnKeyDown(UINT key);
  void Zoom(int direction);

  std::function<void()> resumeVideo_;
  CWnd* notifyWnd_ = nullptr;  // not owned
};
