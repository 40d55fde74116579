#include "display/q7_fullview.h"

#include "display/live_view_keys.h"
#include "display/measure_keys.h"
#include "display/window_geometry.h"
#include "display/zoom_steps.h"
#include "framework/handles.h"
#include "framework/message_args.h"
#include "resources/resource_ids.h"

CQ7Fullview::CQ7Fullview(AppState& state, std::function<void()> resumeVideo, CWnd* parent)
    : CPictureView(state, display::RenderThread::Trace::None, IDD_FULL_VIEW, parent),
      resumeVideo_(std::move(resumeVideo)) {}

BOOL CQ7Fullview::PreTranslateMessage(MSG* msg) {
  // Before the closing keys: Escape clears the measured lines first.
  if (display::HandleMeasureKey(state_, *msg)) return TRUE;
  switch (display::ClassifyClosingKey(msg->message, msg->wParam)) {
    case display::ClosingKey::Press:
      if (IsWindowVisible()) OnOK();
      return TRUE;
    case display::ClosingKey::Rest:
      return TRUE;  // the rest of a closing keystroke must not reach the dialog's own handling
    case display::ClosingKey::None: break;
  }
  if (display::HandleLiveViewKey(state_, *msg)) return TRUE;
  return CPictureView::PreTranslateMessage(msg);
}

void CQ7Fullview::OnOK() {
  StopRenderThread();
  if (notifyWnd_ && notifyWnd_->m_hWnd) {
    notifyWnd_->SendMessage(display::kFullViewClosedMessage, 0, 0);
  } else {
    // No one to tell: give the picture back to the video window ourselves.
    ShowWindow(SW_HIDE);
    if (resumeVideo_) resumeVideo_();
  }
  CPictureView::OnOK();
}

void CQ7Fullview::OnCancel() { OnOK(); }

LRESULT CQ7Fullview::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_LBUTTONDOWN: OnLButtonDown(fw::PointFromLParam(lp)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(fw::PointFromLParam(lp)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(); return 0;
    case WM_RBUTTONUP: OnRButtonUp(); return 0;
    case WM_MOUSEMOVE: OnMouseMove(fw::PointFromLParam(lp)); return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wp)); return 0;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wp)); return 0;
    default: break;
  }
  return CPictureView::WindowProc(msg, wp, lp);
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

void CQ7Fullview::OnLButtonDown(POINT pt) {
  if (!measurer_.Begin(m_hWnd, pt)) panner_.Begin(m_hWnd);
  Default();
}

void CQ7Fullview::OnLButtonUp(POINT pt) {
  if (!measurer_.End(m_hWnd, pt)) panner_.End(m_hWnd);
  Default();
}

void CQ7Fullview::OnRButtonDown() {
  panner_.Begin(m_hWnd);
  Default();
}

void CQ7Fullview::OnRButtonUp() {
  panner_.End(m_hWnd);
  Default();
}

void CQ7Fullview::OnMouseMove(POINT pt) {
  if (!measurer_.Move(m_hWnd, pt)) panner_.Move(m_hWnd);
  Default();
}

void CQ7Fullview::Zoom(int direction) {
  state_.displayScale.store(display::StepDisplayScale(state_.displayScale.load(), direction));
  state_.redraw.Notify();
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
