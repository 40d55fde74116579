#include "display/q7_fullview.h"

#include "display/floater_dlg.h"
#include "display/render_geometry.h"
#include "display/view_resources.h"
#include "display/window_geometry.h"
#include "framework/handles.h"
#include "resources/resource_ids.h"

CQ7Fullview::CQ7Fullview(AppState& state, CCriticalSection& frameLock, CWnd* parent) noexcept
    : CDialog(IDD_FULL_VIEW, parent), state_(state), panner_(state), renderThread_(state, frameLock) {}

CQ7Fullview::~CQ7Fullview() { StopRenderThread(); }

HANDLE CQ7Fullview::StartRenderThread() noexcept { return renderThread_.Start(m_hWnd); }

void CQ7Fullview::StopRenderThread() noexcept { renderThread_.Stop(); }

BOOL CQ7Fullview::PreTranslateMessage(MSG* msg) {
  switch (display::ClassifyClosingKey(msg->message, msg->wParam)) {
    case display::ClosingKey::Press:
      if (IsWindowVisible()) OnOK();
      return TRUE;
    case display::ClosingKey::Rest:
      return TRUE;  // the rest of a closing keystroke must not reach the dialog's own handling
    case display::ClosingKey::None: break;
  }
  return CDialog::PreTranslateMessage(msg);
}

void CQ7Fullview::OnOK() {
  StopRenderThread();
  if (notifyWnd_ && notifyWnd_->m_hWnd) {
    notifyWnd_->SendMessage(display::kFullViewClosedMessage, 0, 0);
  } else if (state_.videoWindow) {
    // No one to tell: give the picture back to the video window ourselves.
    ShowWindow(SW_HIDE);
    state_.videoWindow->ViewBox().StartRenderThread();
  }
  CDialog::OnOK();
}

void CQ7Fullview::OnCancel() { OnOK(); }

LRESULT CQ7Fullview::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_SETCURSOR:
      if (OnSetCursor(LOWORD(lp))) return TRUE;
      break;
    case WM_LBUTTONDOWN: OnLButtonDown(); return 0;
    case WM_LBUTTONUP: OnLButtonUp(); return 0;
    case WM_MOUSEMOVE: OnMouseMove(); return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wp)); return 0;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wp)); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lp)); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: break;
  }
  return CDialog::WindowProc(msg, wp, lp);
}

BOOL CQ7Fullview::OnEraseBkgnd(HDC dc) {
  const RECT client = GetClientRect();
  // Composed off-screen and copied in one go, like every frame after it.
  fw::UniqueMemoryDc memory(::CreateCompatibleDC(dc));
  fw::UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
  fw::UniqueBrush brush(::CreateSolidBrush(RGB(0, 0, 0)));
  fw::UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
  if (!memory || !bitmap) return TRUE;
  {
    fw::ScopedSelectObject selectBitmap(memory.get(), bitmap.get());
    fw::ScopedSelectObject selectBrush(memory.get(), brush.get());
    fw::ScopedSelectObject selectPen(memory.get(), pen.get());
    ::Rectangle(memory.get(), 0, 0, client.right, client.bottom);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  }
  return TRUE;
}

BOOL CQ7Fullview::OnSetCursor(UINT hitTest) { return display::ShowOpenHandCursor(state_, hitTest); }

void CQ7Fullview::OnLButtonDown() {
  panner_.Begin(m_hWnd);
  Default();
}

void CQ7Fullview::OnLButtonUp() {
  panner_.End(m_hWnd);
  Default();
}

void CQ7Fullview::OnMouseMove() {
  panner_.Move(m_hWnd);
  Default();
}

void CQ7Fullview::Zoom(int direction) {
  state_.displayScale.store(display::StepDisplayScale(state_.displayScale.load(), direction));
}

void CQ7Fullview::OnMouseWheel(int delta) {
  if (delta != 0) Zoom(delta > 0 ? +1 : -1);
  Default();
}

void CQ7Fullview::OnKeyDown(UINT key) {
  // Only the numeric keypad zooms; the main keyboard's + and - are other keys.
  if (key == VK_ADD) Zoom(+1);
  if (key == VK_SUBTRACT) Zoom(-1);
  Default();
}

void CQ7Fullview::OnCaptureChanged(HWND gainer) {
  if (gainer != m_hWnd) panner_.Cancel();
  Default();
}

void CQ7Fullview::OnDestroy() {
  StopRenderThread();
  Default();
}
