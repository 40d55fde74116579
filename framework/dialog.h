#pragma once
// CDialog: a window made from a dialog template of the current resource module, either
// modal (DoModal runs its own loop) or modeless (Create).
#include <windows.h>

#include <utility>
#include <vector>

#include "framework/wnd.h"

class CDialog;

// What DoDataExchange binds with; this program only binds controls, never values.
struct CDataExchange {
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Binds a dialog control to its object by subclassing, once.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) noexcept
      : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
  ~CDialog() override;

  // Runs the dialog modally; returns the value given to EndDialog, or -1 when the
  // template is missing or the window cannot be created.
  virtual INT_PTR DoModal();
  // Creates the dialog as a modeless window.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  void EndDialog(int result) noexcept;
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  BOOL PreTranslateMessage(MSG* msg) override;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;  // not owned

 protected:
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange*) {}
  // WM_COMMAND, unpacked; returns TRUE when handled.
  virtual BOOL OnCommand(UINT notifyCode, UINT id, HWND control);
  // WM_CTLCOLOR*, unpacked; kind is CTLCOLOR_DLG, CTLCOLOR_STATIC, ...
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);

  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HWND CreateFromTemplate(UINT templateId, HWND owner);
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

  // Notes the bitmaps the template's static controls loaded; takes them back and deletes them.
  void NoteTemplatePictures();
  void DeleteTemplatePictures() noexcept;

  bool modal_ = false;
  bool modalDone_ = false;
  INT_PTR modalResult_ = -1;
  // The bitmaps the template gave static controls (SS_BITMAP): each control loaded its own.
  // Windows' control deletes it with itself, Wine's never does; this dialog deletes each one
  // it still finds in its control when it is destroyed, which is right on both.
  std::vector<std::pair<HWND, HBITMAP>> templatePictures_;
};
