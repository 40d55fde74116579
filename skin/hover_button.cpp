#include "skin/hover_button.h"

#include "framework/message_args.h"
#include "skin/bitmap_info.h"
#include "skin/button_state.h"

namespace {
constexpr UINT_PTR kToolId = 1;
}

BOOL CHoverButton::SetStateBitmap(fw::UniqueBitmap strip) {
  if (!strip_.Reset(std::move(strip)) || !strip_) {
    stateWidth_ = stateHeight_ = 0;
    return FALSE;
  }
  const SIZE state = skin::StripStateSize(strip_.Size());
  stateWidth_ = state.cx;
  stateHeight_ = state.cy;
  SetWindowPos(HWND_TOP, 0, 0, stateWidth_, stateHeight_, SWP_NOMOVE | SWP_NOOWNERZORDER);
  return TRUE;
}

void CHoverButton::EnsureToolTip() {
  if (tooltip_.m_hWnd) return;
  if (tooltip_.Create(this)) tooltip_.Activate(FALSE);
}

void CHoverButton::SetTooltipText(const wchar_t* text, BOOL activate) {
  if (!text) return;
  EnsureToolTip();
  if (!tooltip_.m_hWnd) return;
  if (tooltip_.GetToolCount() == 0) {
    const RECT client = GetClientRect();
    tooltip_.AddTool(this, text, &client, kToolId);
  }
  tooltip_.UpdateTipText(text, this, kToolId);
  tooltip_.Activate(activate);
}

BOOL CHoverButton::PreTranslateMessage(MSG* msg) {
  EnsureToolTip();
  if (tooltip_.m_hWnd) tooltip_.RelayEvent(msg);
  return CBitmapButton::PreTranslateMessage(msg);
}

LRESULT CHoverButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_MOUSEHOVER: OnMouseHover(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_MOUSELEAVE: OnMouseLeave(); return 0;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button reports the second of two quick clicks as BN_DOUBLECLICKED; taken
      // as a press, it is pressed and released like any click and reports BN_CLICKED.
      if (everyClickCounts_) return CBitmapButton::WindowProc(WM_LBUTTONDOWN, wp, lp);
      break;
    default: break;
  }
  return CBitmapButton::WindowProc(msg, wp, lp);
}

void CHoverButton::DrawItem(DRAWITEMSTRUCT* dis) {
  if (!strip_) return;
  fw::UniqueMemoryDc stripDc(::CreateCompatibleDC(dis->hDC));
  fw::ScopedSelectObject useStrip(stripDc.get(), strip_.get());
  const SIZE stateSize{stateWidth_, stateHeight_};
  const skin::ButtonState state =
      skin::ChooseButtonState(!IsWindowEnabled(), (dis->itemState & ODS_SELECTED) != 0, hover_ != FALSE);
  const POINT source = skin::StripStateOrigin(state, stateSize);
  ::BitBlt(dis->hDC, 0, 0, stateSize.cx, stateSize.cy, stripDc.get(), source.x, source.y, SRCCOPY);
}

void CHoverButton::OnMouseMove(UINT, POINT) {
  if (!tracking_) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_HOVER | TME_LEAVE;
    track.hwndTrack = m_hWnd;
    track.dwHoverTime = 1;  // light up almost as soon as the pointer enters
    tracking_ = ::_TrackMouseEvent(&track);
  }
  Default();
}

void CHoverButton::OnMouseHover(UINT, POINT) {
  // On the class, not the window: from now on every button of the process shows the hand.
  ::SetClassLongPtrW(m_hWnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(::LoadCursorW(nullptr, IDC_HAND)));
  hover_ = TRUE;
  Invalidate(TRUE);
}

void CHoverButton::OnMouseLeave() {
  tracking_ = FALSE;
  hover_ = FALSE;
  Invalidate(TRUE);
}
