#include "display/view_box.h"

#include "framework/handles.h"
#include "framework/message_args.h"

CViewBox::CViewBox(AppState& state) noexcept : CPictureView(state, display::RenderThread::Trace::AfterEachFrame) {}

LRESULT CViewBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return 0;  // the renderer covers every pixel
    case WM_PAINT: OnPaint(); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: OnLeftButton(msg, static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(); return 0;
    case WM_RBUTTONUP: OnRButtonUp(); return 0;
    default: break;
  }
  return CPictureView::WindowProc(msg, wp, lp);
}

void CViewBox::OnPaint() {
  fw::ScopedPaint paint(m_hWnd);
  renderThread_.Repaint(paint.dc(), m_hWnd);
}

void CViewBox::ForwardToParent(UINT msg, UINT flags, POINT pt) const {
  if (HWND parent = ::GetParent(m_hWnd)) ::SendMessageW(parent, msg, flags, fw::LParamFromPoint(pt));
}

void CViewBox::OnLeftButton(UINT msg, UINT flags, POINT pt) {
  ForwardToParent(msg, flags, pt);
  Default();
}

void CViewBox::OnMouseMove(UINT flags, POINT pt) {
  if (!panner_.Move(m_hWnd)) ForwardToParent(WM_MOUSEMOVE, flags, pt);
  Default();
}

void CViewBox::OnRButtonDown() {
  panner_.Begin(m_hWnd);
  Default();
}

void CViewBox::OnRButtonUp() {
  panner_.End(m_hWnd);
  Default();
}
