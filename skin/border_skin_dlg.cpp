#include "skin/border_skin_dlg.h"

#include "skin/bitmap_info.h"
#include "skin/caption_drag.h"
#include "skin/region_scan.h"
#include "skin/resize_zone.h"
#include "skin/skin_key.h"

CBorderSkinDlg::CBorderSkinDlg(UINT templateId, CWnd* parent) noexcept : CDialog(templateId, parent) {}

CBorderSkinDlg::~CBorderSkinDlg() {
  // The window goes while the frame it paints from still exists, and a resize band left on
  // the screen is removed on the way (WM_CAPTURECHANGED).
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

BOOL CBorderSkinDlg::SetBackgroundBitmap(fw::UniqueBitmap bitmap) {
  if (!background_.Reset(std::move(bitmap))) return FALSE;
  if (m_hWnd) Invalidate(TRUE);
  return TRUE;
}

BOOL CBorderSkinDlg::SetBorderBitmaps(fw::UniqueBitmap top, fw::UniqueBitmap bottom, fw::UniqueBitmap left,
                                      fw::UniqueBitmap right, fw::UniqueBitmap topLeft, fw::UniqueBitmap topRight,
                                      fw::UniqueBitmap bottomLeft, fw::UniqueBitmap bottomRight) {
  std::array<fw::UniqueBitmap, skin::kPieceCount> given{
      std::move(top),     std::move(bottom),   std::move(left),       std::move(right),
      std::move(topLeft), std::move(topRight), std::move(bottomLeft), std::move(bottomRight)};
  ReleaseBorders();
  bool readable = true;
  for (size_t i = 0; i < given.size(); ++i) {
    if (!given[i]) continue;
    borders_[i] = std::move(given[i]);
    if (const auto size = skin::QueryBitmapSize(borders_[i].get()))
      borderSizes_[i] = *size;
    else
      readable = false;
  }
  if (!readable) {
    ReleaseBorders();
    return FALSE;
  }

  const SIZE base = background_.Size();
  if (HasAllBorders()) {
    ComposeFrame(base);
    fw::UniqueRegion shape =
        skin::RegionFromOpaquePixels(frameDc_.get(), frameSize_.cx, frameSize_.cy, skin::kSkinKeyColor);
    if (m_hWnd && ::SetWindowRgn(m_hWnd, shape.get(), TRUE)) shape.release();  // the window owns it now
  }
  // A change of size runs OnSize, which puts the rounded rectangle in place of the scanned shape.
  SetWindowPos(HWND_TOP, 0, 0, base.cx, base.cy, SWP_NOMOVE | SWP_NOOWNERZORDER);
  if (m_hWnd) Invalidate(TRUE);
  return TRUE;
}

bool CBorderSkinDlg::HasAllBorders() const noexcept {
  for (const auto& piece : borders_)
    if (!piece) return false;
  return true;
}

void CBorderSkinDlg::ReleaseBorders() noexcept {
  for (auto& piece : borders_) piece.reset();
  borderSizes_ = {};
}

void CBorderSkinDlg::ComposeFrame(SIZE size) {
  frameDc_.reset();
  frameBitmap_.reset();
  fw::ScopedWindowDc windowDc(m_hWnd);
  frameDc_.reset(::CreateCompatibleDC(windowDc.get()));
  frameBitmap_.reset(::CreateCompatibleBitmap(windowDc.get(), size.cx, size.cy));
  if (!frameDc_ || !frameBitmap_) {
    frameDc_.reset();
    frameBitmap_.reset();
    frameSize_ = {};
    return;
  }
  ::SelectObject(frameDc_.get(), frameBitmap_.get());  // stays selected for the DC's life
  frameSize_ = size;
  skin::BorderPieces pieces{};
  for (size_t i = 0; i < pieces.size(); ++i) pieces[i] = {borders_[i].get(), borderSizes_[i]};
  skin::ComposeFrame(frameDc_.get(), size, fillColor_, pieces);
}

LRESULT CBorderSkinDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wp));
    case WM_SIZE: OnSize(static_cast<UINT>(wp), LOWORD(lp), HIWORD(lp)); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(reinterpret_cast<HWND>(lp)); return 0;
    case WM_PAINT: OnPaint(); return 0;
    default: break;
  }
  return CDialog::WindowProc(msg, wp, lp);
}

BOOL CBorderSkinDlg::OnEraseBkgnd(HDC dc) {
  if (!background_) return FALSE;
  const RECT client = GetClientRect();
  if (frameDc_) {
    ::BitBlt(dc, 0, 0, client.right, client.bottom, frameDc_.get(), 0, 0, SRCCOPY);
  } else {
    // The border set is incomplete, so there is no frame: show the interior colour alone.
    fw::UniqueBrush brush(::CreateSolidBrush(fillColor_));
    ::FillRect(dc, &client, brush.get());
  }
  return TRUE;
}

void CBorderSkinDlg::OnSize(UINT, int cx, int cy) {
  Default();
  // A minimised window reports 0 x 0; its frame is composed again when it is restored.
  if (HasAllBorders() && cx > 0 && cy > 0) {
    ComposeFrame({cx, cy});
    // Scanning pixels on every resize would be slow; the frame's corners are small enough
    // for a rounded rectangle.
    fw::UniqueRegion shape(::CreateRoundRectRgn(0, 0, cx + 1, cy + 1, 4, 4));
    if (::SetWindowRgn(m_hWnd, shape.get(), TRUE)) shape.release();
  }
  if (background_) Invalidate(TRUE);
}

void CBorderSkinDlg::ShowZoneCursor(unsigned zone) const {
  if (const wchar_t* cursor = skin::ResizeZoneCursor(zone)) ::SetCursor(::LoadCursorW(nullptr, cursor));
}

void CBorderSkinDlg::DrawBandOnScreen(const RECT& band) const {
  fw::ScopedWindowDc screen(nullptr);
  skin::DrawResizeBand(screen.get(), band);
}

void CBorderSkinDlg::OnMouseMove(UINT, POINT pt) {
  if (tracking_ && zone_ != skin::kZoneNone) {
    POINT screenPt = pt;
    ::ClientToScreen(m_hWnd, &screenPt);
    band_ = skin::TrackResizeBand(band_, zone_, screenPt, GetWindowRect(), background_.Size());
    if (!::EqualRect(&band_, &drawnBand_)) {
      DrawBandOnScreen(drawnBand_);
      DrawBandOnScreen(band_);
      drawnBand_ = band_;
    }
  } else {
    zone_ = skin::ResizeZoneAt(GetClientRect(), pt);
    ShowZoneCursor(zone_);
  }
  Default();
}

void CBorderSkinDlg::OnLButtonDown(UINT, POINT pt) {
  // The press point decides, so a pointer that left the edge since its last move drags the
  // window instead of starting a resize without an edge.
  const unsigned pressZone = zone_ != skin::kZoneNone ? skin::ResizeZoneAt(GetClientRect(), pt) : skin::kZoneNone;
  if (pressZone != skin::kZoneNone) {
    zone_ = pressZone;
    ShowZoneCursor(zone_);
    tracking_ = TRUE;
    band_ = drawnBand_ = GetWindowRect();
    ::SetCapture(m_hWnd);
    DrawBandOnScreen(drawnBand_);
  } else if (dragMove_) {
    skin::PostCaptionDrag(m_hWnd, pt);
  }
  Default();
}

void CBorderSkinDlg::OnLButtonUp(UINT, POINT) {
  if (tracking_) EndResize(true);
  Default();
}

void CBorderSkinDlg::OnCaptureChanged(HWND gainer) {
  // Another window took the mouse mid-drag: take the band off the screen, leave the size.
  if (tracking_ && gainer != m_hWnd) EndResize(false);
  Default();
}

void CBorderSkinDlg::EndResize(bool apply) {
  const RECT band = drawnBand_;
  tracking_ = FALSE;  // first, so that releasing the capture below does not cancel the resize
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  DrawBandOnScreen(band);
  drawnBand_ = {};
  if (apply) MoveWindow(band, TRUE);
}

void CBorderSkinDlg::OnPaint() {
  // Everything was drawn by the erase; children paint themselves.
  fw::ScopedPaint paint(m_hWnd);
}
