#include "panel/take_correction_dlg.h"

#include "framework/win_app.h"
#include "resources/resource_ids.h"

using q7::imaging::CorrectionKind;

CTakeCorrectionDlg::CTakeCorrectionDlg(CorrectionKind kind, HMODULE strings, CWnd* parent) noexcept
    : CDialog(IDD_TAKE_CORRECTION, parent), kind_(kind), strings_(strings) {}

BOOL CTakeCorrectionDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const bool dark = kind_ == CorrectionKind::Dark;
  SetWindowText(LoadResourceString(dark ? IDS_TAKE_DARK_CAPTION : IDS_TAKE_FLAT_CAPTION, strings_).c_str());
  ::SetDlgItemTextW(m_hWnd, IDC_TAKE_CORRECTION_TEXT,
                    LoadResourceString(dark ? IDS_TAKE_DARK_TEXT : IDS_TAKE_FLAT_TEXT, strings_).c_str());
  return TRUE;
}

bool ConfirmTake(CorrectionKind kind, HMODULE strings, CWnd* owner) {
  CTakeCorrectionDlg dialog(kind, strings, owner);
  return dialog.DoModal() == IDOK;
}
