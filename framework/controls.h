#pragma once
// Control wrappers: each binds to a dialog control (DDX_Control) or creates its own window.
#include <windows.h>
#include <commctrl.h>

#include "framework/wnd.h"

class CStatic : public CWnd {};

// Owner-drawn push button base: the parent's WM_DRAWITEM comes back here as DrawItem.
class CButton : public CWnd {
 protected:
  virtual void DrawItem(DRAWITEMSTRUCT* dis) = 0;
  BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
};

// The button base of the skinned buttons; it draws nothing of its own.
class CBitmapButton : public CButton {};

// A tooltip control with its own window, destroyed with the object.
class CToolTipCtrl : public CWnd {
 public:
  ~CToolTipCtrl() override;
  BOOL Create(CWnd* parent, DWORD style = 0);
  void Activate(BOOL activate) const;
  BOOL AddTool(CWnd* tool, const wchar_t* text, const RECT* rect, UINT_PTR toolId) const;
  void UpdateTipText(const wchar_t* text, CWnd* tool, UINT_PTR toolId) const;
  void SetToolRect(CWnd* tool, UINT_PTR toolId, const RECT& rect) const;
  int GetToolCount() const;
  void RelayEvent(MSG* msg) const;
};
