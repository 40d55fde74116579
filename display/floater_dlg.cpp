#include "display/floater_dlg.h"

#include <algorithm>

#include "display/live_view_keys.h"
#include "display/measure_keys.h"
#include "display/view_resources.h"
#include "display/window_geometry.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"

namespace {
constexpr wchar_t kTitle[] = L"Vistal Viewer :: Floater";
}

CFloaterDlg::CFloaterDlg(AppState& state, CWnd* parent) noexcept
    : CBorderSkinDlg(IDD_VIDEO_WINDOW, parent), state_(state), m_viewBox(state) {}

void CFloaterDlg::DoDataExchange(CDataExchange* dx) {
  CBorderSkinDlg::DoDataExchange(dx);
  DDX_Control(dx, IDC_PICTURE, m_viewBox);
}

BOOL CFloaterDlg::OnInitDialog() {
  CBorderSkinDlg::OnInitDialog();
  ApplySkin();
  SetWindowText(kTitle);
  m_viewBox.SetHelpTip(LoadResourceString(IDS_TIP_PICTURE, display::ViewResourceModule(state_)).c_str());
  m_viewBox.StartRenderThread();
  snapSuppressed_ = FALSE;
  return TRUE;
}

void CFloaterDlg::ApplySkin() {
  const HINSTANCE module = display::ViewResourceModule(state_);
  const auto load = [module](UINT id) { return fw::UniqueBitmap(::LoadBitmapW(module, MAKEINTRESOURCEW(id))); };
  SetDragMove(TRUE);
  SetBackgroundBitmap(load(IDB_VIDEO_BACKGROUND));
  SetBorderBitmaps(load(IDB_FRAME_TOP), load(IDB_FRAME_BOTTOM), load(IDB_FRAME_LEFT), load(IDB_FRAME_RIGHT),
                   load(IDB_FRAME_TOP_LEFT), load(IDB_FRAME_TOP_RIGHT), load(IDB_FRAME_BOTTOM_LEFT),
                   load(IDB_FRAME_BOTTOM_RIGHT));
  SetFillColor(RGB(0, 0, 0));
}

BOOL CFloaterDlg::PreTranslateMessage(MSG* msg) {
  if (display::HandleMeasureKey(state_, *msg)) return TRUE;
  // Nothing may end or close this window from the keyboard.
  if (display::ClassifyClosingKey(msg->message, msg->wParam) != display::ClosingKey::None) return TRUE;
  if (display::HandleLiveViewKey(state_, *msg)) return TRUE;
  return CBorderSkinDlg::PreTranslateMessage(msg);
}

LRESULT CFloaterDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lp)); return 0;
    // Raised by a drag or by being activated: the panel goes back on top once that settled.
    case WM_EXITSIZEMOVE: PostMessage(kRaisePanelMessage, 0, 0); break;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) PostMessage(kRaisePanelMessage, 0, 0);
      break;
    case kRaisePanelMessage: RaisePanel(); return 0;
    default: break;
  }
  return CBorderSkinDlg::WindowProc(msg, wp, lp);
}

void CFloaterDlg::OnSize(UINT type, int cx, int cy) {
  CBorderSkinDlg::OnSize(type, cx, cy);
  if (!m_viewBox.m_hWnd) return;
  const int inset = kPictureInset;
  m_viewBox.MoveWindow(inset, inset, std::max(cx - 2 * inset, 0), std::max(cy - 2 * inset, 0), TRUE);
  state_.redraw.Notify();  // the picture is drawn again at its new size
}

void CFloaterDlg::RaisePanel() const {
  // The panel is topmost and this window is not, so Windows keeps the panel above; but a
  // display without a window manager (Wine's) can leave this window drawn over it after a
  // drag or a raise. Placing the panel again restacks the two for real.
  CWnd* panel = AfxGetMainWnd();
  if (!panel || panel == this || !panel->m_hWnd) return;
  ::SetWindowPos(panel->m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SetWindowPos(panel->m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CFloaterDlg::OnWindowPosChanging(WINDOWPOS* pos) {
  Default();
  if (!pos || snapSuppressed_) return;
  if (pos->x == 0 && pos->y == 0 && pos->cx == 0 && pos->cy == 0) return;
  // A change that does not move the window (a resize by the skin, a z-order or show change)
  // carries no position to snap; judging it would undock a window that never moved.
  if (pos->flags & SWP_NOMOVE) return;

  int cx = pos->cx, cy = pos->cy;
  if (pos->flags & SWP_NOSIZE) {
    const RECT now = GetWindowRect();
    cx = now.right - now.left;
    cy = now.bottom - now.top;
  }
  RECT panelRect{};
  const RECT* panel = nullptr;
  if (CWnd* mainWnd = AfxGetMainWnd(); mainWnd && mainWnd != this && mainWnd->m_hWnd) {
    panelRect = mainWnd->GetWindowRect();
    panel = &panelRect;
  }
  const display::SnapResult snapped = display::SnapWindowPosition(
      pos->x, pos->y, cx, cy, state_.virtualScreenWidth, state_.virtualScreenHeight, state_.monitorCount, panel);
  pos->x = snapped.x;
  pos->y = snapped.y;
  state_.docked.store(snapped.docked ? 1 : 0);
}
