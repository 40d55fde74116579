#include "panel/jpeg_quality_dlg.h"

#include "framework/win_app.h"
#include "panel/jpeg_quality.h"
#include "resources/resource_ids.h"

namespace {

void TellInBox(HWND dialog, const std::wstring& text) {
  ::MessageBoxW(dialog, text.c_str(), AfxProgramName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

CJpegQualityDlg::CJpegQualityDlg(int initial, CWnd* parent, Tell tell)
    : CDialog(IDD_JPEG_QUALITY, parent), quality_(initial), tell_(tell ? std::move(tell) : TellInBox) {}

BOOL CJpegQualityDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ::SetDlgItemTextW(m_hWnd, IDC_JPEG_QUALITY, std::to_wstring(quality_).c_str());
  ::SendDlgItemMessageW(m_hWnd, IDC_JPEG_QUALITY, EM_LIMITTEXT, 3, 0);
  return TRUE;
}

void CJpegQualityDlg::OnOK() {
  wchar_t text[16] = L"";
  ::GetDlgItemTextW(m_hWnd, IDC_JPEG_QUALITY, text, 16);
  const std::optional<int> quality = ParseJpegQuality(text);
  if (!quality) {
    tell_(m_hWnd, kJpegQualityRangeText);
    return;
  }
  quality_ = *quality;
  CDialog::OnOK();
}

std::optional<int> AskForJpegQuality(CWnd* owner) {
  CJpegQualityDlg dialog(LoadJpegQuality(), owner);
  if (dialog.DoModal() != IDOK) return std::nullopt;
  StoreJpegQuality(dialog.Quality());
  return dialog.Quality();
}
