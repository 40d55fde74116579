#include "display/view_box.h"

#include "display/view_resources.h"
#include "framework/handles.h"
#include "framework/message_args.h"
#include "resources/resource_ids.h"

namespace display {

BOOL ShowOpenHandCursor(const AppState& state, UINT hitTest) noexcept {
  if (hitTest != HTCLIENT) return FALSE;
  // A shared resource cursor: the system keeps it, nothing to destroy.
  HCURSOR hand = ::LoadCursorW(ViewResourceModule(state), MAKEINTRESOURCEW(IDC_OPEN_HAND));
  if (!hand) return FALSE;
  ::SetCursor(hand);
  return TRUE;
}

}  // namespace display

CViewBox::CViewBox(AppState& state, CCriticalSection& frameLock) noexcept
    : state_(state), panner_(state), renderThread_(state, frameLock, display::RenderThread::Trace::AfterEachFrame) {}

CViewBox::~CViewBox() { StopRenderThread(); }

HANDLE CViewBox::StartRenderThread() noexcept { return renderThread_.Start(m_hWnd); }

void CViewBox::StopRenderThread() noexcept { renderThread_.Stop(); }

LRESULT CViewBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return 0;  // the renderer covers every pixel
    case WM_PAINT: OnPaint(); return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(LOWORD(lp))) return TRUE;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: OnLeftButton(msg, static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(); return 0;
    case WM_RBUTTONUP: OnRButtonUp(); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lp)); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: break;
  }
  return CWnd::WindowProc(msg, wp, lp);
}

void CViewBox::OnPaint() {
  fw::ScopedPaint paint(m_hWnd);
  renderThread_.Repaint(paint.dc(), m_hWnd);
}

BOOL CViewBox::OnSetCursor(UINT hitTest) { return display::ShowOpenHandCursor(state_, hitTest); }

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

void CViewBox::OnCaptureChanged(HWND gainer) {
  // Without the capture the drag would go on with no button held.
  if (gainer != m_hWnd) panner_.Cancel();
  Default();
}

void CViewBox::OnDestroy() {
  // The thread draws through this window's DC: it has to end before the window does.
  StopRenderThread();
  Default();
}
