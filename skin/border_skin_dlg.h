#pragma once
// CBorderSkinDlg: a dialog drawn as a frame of eight border pieces instead of a system caption
// and border. It is cut to the shape of its skin, moves when its body is dragged and resizes
// at its edges, with a dotted rubber band on the screen until the button is released.
#include <windows.h>

#include <array>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "skin/bitmap_info.h"
#include "skin/frame_painter.h"

class CBorderSkinDlg : public CDialog {
 public:
  explicit CBorderSkinDlg(UINT templateId, CWnd* parent = nullptr) noexcept;
  ~CBorderSkinDlg() override;

  // Interior colour of the frame, used from the next composition on.
  void SetFillColor(COLORREF color) noexcept { fillColor_ = color; }
  // Whether a press outside the resize zones moves the window.
  void SetDragMove(BOOL on) noexcept { dragMove_ = on; }
  // Takes ownership of `bitmap`. Only its size is used: the window's size after
  // SetBorderBitmaps and its minimum size while resizing. FALSE when it cannot be queried
  // (it is then deleted).
  BOOL SetBackgroundBitmap(fw::UniqueBitmap bitmap);
  // Takes ownership of the eight pieces (which must be distinct handles), composes the frame
  // at the background's size, cuts the window to its opaque pixels and sizes the window.
  // FALSE when a piece cannot be queried; then none of the eight is kept.
  BOOL SetBorderBitmaps(fw::UniqueBitmap top, fw::UniqueBitmap bottom, fw::UniqueBitmap left, fw::UniqueBitmap right,
                        fw::UniqueBitmap topLeft, fw::UniqueBitmap topRight, fw::UniqueBitmap bottomLeft,
                        fw::UniqueBitmap bottomRight);

  // For the window's users and tests: what the mouse is doing to the window.
  unsigned GetResizeZone() const noexcept { return zone_; }
  BOOL IsResizing() const noexcept { return tracking_; }
  RECT GetDrawnBand() const noexcept { return drawnBand_; }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  // Handlers; a derived class that handles one of these messages calls these first.
  virtual BOOL OnEraseBkgnd(HDC dc);
  virtual void OnSize(UINT type, int cx, int cy);
  virtual void OnLButtonDown(UINT flags, POINT pt);
  virtual void OnMouseMove(UINT flags, POINT pt);
  virtual void OnLButtonUp(UINT flags, POINT pt);
  virtual void OnCaptureChanged(HWND gainer);
  virtual void OnPaint();

 private:
  bool HasAllBorders() const noexcept;
  void ReleaseBorders() noexcept;
  // Draws the frame of `size` into a new off-screen bitmap compatible with the window.
  void ComposeFrame(SIZE size);
  void DrawBandOnScreen(const RECT& band) const;
  void ShowZoneCursor(unsigned zone) const;
  void EndResize(bool apply);

  // Declared before the DC so that the DC, which holds it selected, goes first.
  fw::UniqueBitmap frameBitmap_;
  fw::UniqueMemoryDc frameDc_;
  SIZE frameSize_{};
  COLORREF fillColor_ = RGB(0, 0, 0);
  RECT band_{};       // screen coordinates
  RECT drawnBand_{};  // screen coordinates; what is on the screen now
  BOOL tracking_ = FALSE;
  unsigned zone_ = 0;
  BOOL dragMove_ = TRUE;
  skin::SizedBitmap background_;
  std::array<fw::UniqueBitmap, skin::kPieceCount> borders_;
  std::array<SIZE, skin::kPieceCount> borderSizes_{};
};
