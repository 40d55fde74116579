#pragma once
// CBitmapSkinDlg: a dialog whose face is one picture. It drags by any point of its body and
// can let the desktop show through every pixel of one colour (the system's layered-window
// colour key), which gives skinned windows their rounded corners.
#include <windows.h>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "skin/background_layout.h"
#include "skin/bitmap_info.h"

using skin::SKIN_DRAW_CENTER;
using skin::SKIN_DRAW_FIT;
using skin::SKIN_DRAW_NORMAL;
using skin::SKIN_DRAW_STRETCH;
using skin::SKIN_DRAW_TILE;

class CBitmapSkinDlg : public CDialog {
 public:
  explicit CBitmapSkinDlg(UINT templateId, CWnd* parent = nullptr) noexcept;
  ~CBitmapSkinDlg() override;

  // Whether a press on the body (not on a child control) moves the window.
  void SetDragMove(BOOL on) noexcept { dragMove_ = on; }
  // Takes ownership of `bitmap`; FALSE when it cannot be queried (it is then deleted and the
  // window shows no picture). Null removes the picture.
  BOOL SetBackgroundBitmap(fw::UniqueBitmap bitmap);
  // One of the SKIN_DRAW_* modes; SKIN_DRAW_FIT also gives the window the picture's size.
  void SetDrawMode(int mode);
  // Makes every pixel of exactly `key` transparent, or the window opaque again. FALSE when the
  // system has no layered windows or the window does not exist.
  BOOL SetTransparent(COLORREF key, BOOL enable);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

  // Handlers; a derived class that handles one of these messages calls these first.
  virtual void OnLButtonDown(UINT flags, POINT pt);
  virtual BOOL OnEraseBkgnd(HDC dc);
  virtual void OnSize(UINT type, int cx, int cy);

 private:
  BOOL dragMove_ = TRUE;
  skin::SizedBitmap background_;
  int drawMode_ = SKIN_DRAW_NORMAL;
};
