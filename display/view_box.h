#pragma once
// CViewBox: the picture control inside the video window. Its render thread draws the live
// picture into it; the right mouse button pans the picture, while left-button presses,
// releases and plain moves go on to the video window, which moves or resizes itself, unless
// the measuring tool is on and the press lands on the picture: then the left button measures.
// Uncovered parts are painted with the last picture, so it stays whole while the camera is
// stopped.
#include <windows.h>

#include "display/picture_view.h"
#include "framework/controls.h"
#include "framework/wnd.h"

class CViewBox : public CPictureView<CWnd> {
 public:
  explicit CViewBox(AppState& state) noexcept;

  // A tooltip over the whole picture, naming what the mouse and the keys do there.
  void SetHelpTip(const wchar_t* text);
  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnSize();
  void OnLeftButton(UINT msg, UINT flags, POINT pt);
  void OnMouseMove(UINT flags, POINT pt);
  void OnRButtonDown();
  void OnRButtonUp();
  // The parent gets the point as received, in this control's client coordinates.
  void ForwardToParent(UINT msg, UINT flags, POINT pt) const;

  CToolTipCtrl helpTip_;
};
