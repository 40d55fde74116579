#include "panel/about_dlg.h"

#include "panel/panel_layout.h"
#include "resources/resource_ids.h"
#include "skin/skin_key.h"

CAboutDlg::CAboutDlg(const AppState& state) noexcept : CBitmapSkinDlg(IDD_ABOUT), state_(state) {}

BOOL CAboutDlg::OnInitDialog() {
  CBitmapSkinDlg::OnInitDialog();
  SetWindowText(L"About");
  SetDragMove(FALSE);
  SetBackgroundBitmap(fw::UniqueBitmap(::LoadBitmapW(state_.resourceLibrary, MAKEINTRESOURCEW(IDB_ABOUT))));
  SetTransparent(skin::kSkinKeyColor, TRUE);
  SetDrawMode(SKIN_DRAW_FIT);
  MoveWindow(
      PlaceAboutBox(GetWindowRect(), state_.virtualScreenWidth, state_.virtualScreenHeight, state_.monitorCount));
  return TRUE;
}

LRESULT CAboutDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONUP: OnOK(); return 0;
    default: break;
  }
  return CBitmapSkinDlg::WindowProc(msg, wp, lp);
}
