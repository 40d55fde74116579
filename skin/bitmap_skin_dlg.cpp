#include "skin/bitmap_skin_dlg.h"

#include "skin/bitmap_info.h"
#include "skin/caption_drag.h"

namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Looked up at run time so that the program still starts on a system without layered
// windows; every construction looks again and stores the same answer.
SetLayeredWindowAttributesFn g_setLayeredWindowAttributes = nullptr;

SetLayeredWindowAttributesFn LookUpSetLayeredWindowAttributes() noexcept {
  HMODULE user32 = ::GetModuleHandleW(L"USER32.DLL");  // not owned: loaded for the process's life
  FARPROC proc = user32 ? ::GetProcAddress(user32, "SetLayeredWindowAttributes") : nullptr;
  return reinterpret_cast<SetLayeredWindowAttributesFn>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

CBitmapSkinDlg::CBitmapSkinDlg(UINT templateId, CWnd* parent) noexcept : CDialog(templateId, parent) {
  g_setLayeredWindowAttributes = LookUpSetLayeredWindowAttributes();
}

CBitmapSkinDlg::~CBitmapSkinDlg() {
  // The window goes while the picture it paints is still there.
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

BOOL CBitmapSkinDlg::SetBackgroundBitmap(fw::UniqueBitmap bitmap) {
  if (!background_.Reset(std::move(bitmap))) return FALSE;
  if (m_hWnd) Invalidate(TRUE);
  return TRUE;
}

void CBitmapSkinDlg::SetDrawMode(int mode) {
  drawMode_ = mode;
  if (mode == SKIN_DRAW_FIT && background_)
    SetWindowPos(HWND_TOP, 0, 0, background_.Size().cx, background_.Size().cy, SWP_NOMOVE | SWP_NOOWNERZORDER);
}

BOOL CBitmapSkinDlg::SetTransparent(COLORREF key, BOOL enable) {
  if (!g_setLayeredWindowAttributes || !m_hWnd) return FALSE;
  const LONG exStyle = ::GetWindowLongW(m_hWnd, GWL_EXSTYLE);
  if (enable) {
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    g_setLayeredWindowAttributes(m_hWnd, key, 0, LWA_COLORKEY);
  } else {
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  return TRUE;
}

LRESULT CBitmapSkinDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_SIZE: OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp)); return 0;
    default: break;
  }
  return CDialog::WindowProc(msg, wp, lp);
}

void CBitmapSkinDlg::OnLButtonDown(UINT, POINT pt) {
  if (dragMove_) skin::PostCaptionDrag(m_hWnd, pt);
  Default();
}

BOOL CBitmapSkinDlg::OnEraseBkgnd(HDC dc) {
  const BOOL erased = static_cast<BOOL>(Default());
  if (background_) {
    fw::UniqueMemoryDc pictureDc(::CreateCompatibleDC(dc));
    fw::ScopedSelectObject usePicture(pictureDc.get(), background_.get());
    skin::PaintBackground(dc, GetClientRect(), pictureDc.get(), background_.Size(), drawMode_);
  }
  return erased;
}

void CBitmapSkinDlg::OnSize(UINT, int, int) {
  Default();
  if (background_) Invalidate(TRUE);
}
