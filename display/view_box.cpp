#include "display/view_box.h"

#include "framework/handles.h"
#include "framework/message_args.h"

CViewBox::CViewBox(AppState& state) noexcept : CPictureView(state, display::RenderThread::Trace::AfterEachFrame) {}

namespace {
constexpr UINT_PTR kHelpTipId = 1;
}

void CViewBox::SetHelpTip(const wchar_t* text) {
  if (!text || !*text || (!helpTip_.m_hWnd && !helpTip_.Create(this))) return;
  const RECT client = GetClientRect();
  if (helpTip_.GetToolCount() == 0) helpTip_.AddTool(this, text, &client, kHelpTipId);
  helpTip_.UpdateTipText(text, this, kHelpTipId);
  helpTip_.Activate(TRUE);
}

BOOL CViewBox::PreTranslateMessage(MSG* msg) {
  if (helpTip_.m_hWnd) helpTip_.RelayEvent(msg);
  return CPictureView::PreTranslateMessage(msg);
}

void CViewBox::OnSize() {
  if (helpTip_.m_hWnd) helpTip_.SetToolRect(this, kHelpTipId, GetClientRect());
  Default();
}

LRESULT CViewBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE: OnSize(); return 0;
    case WM_ERASEBKGND: return 0;  // the renderer covers every pixel
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: OnLeftButton(msg, static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(); return 0;
    case WM_RBUTTONUP: OnRButtonUp(); return 0;
    default: break;
  }
  return CPictureView::WindowProc(msg, wp, lp);
}

void CViewBox::ForwardToParent(UINT msg, UINT flags, POINT pt) const {
  if (HWND parent = ::GetParent(m_hWnd)) ::SendMessageW(parent, msg, flags, fw::LParamFromPoint(pt));
}

void CViewBox::OnLeftButton(UINT msg, UINT flags, POINT pt) {
  const bool measured = msg == WM_LBUTTONDOWN ? measurer_.Begin(m_hWnd, pt) : measurer_.End(m_hWnd, pt);
  if (!measured) ForwardToParent(msg, flags, pt);
  Default();
}

void CViewBox::OnMouseMove(UINT flags, POINT pt) {
  if (!measurer_.Move(m_hWnd, pt) && !panner_.Move(m_hWnd)) ForwardToParent(WM_MOUSEMOVE, flags, pt);
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
