#include "framework/file_dialog.h"

#include <commdlg.h>

#include "framework/wnd.h"

std::wstring ConvertDialogFilter(const wchar_t* filter) {
  std::wstring converted = filter ? filter : L"";
  for (wchar_t& c : converted)
    if (c == L'|') c = L'\0';
  converted.push_back(L'\0');
  return converted;
}

std::wstring FileExtensionOf(const std::wstring& path) {
  const std::size_t nameStart = path.find_last_of(L"\\/");
  const std::size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart)) return {};
  return path.substr(dot + 1);
}

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension, const wchar_t* fileName, DWORD flags,
                         const wchar_t* filter, CWnd* parent)
    : open_(openFileDialog),
      defaultExtension_(defaultExtension ? defaultExtension : L""),
      filter_(ConvertDialogFilter(filter)) {
  if (fileName) lstrcpynW(buffer_, fileName, MAX_PATH);
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
  m_ofn.lpstrFilter = filter ? filter_.c_str() : nullptr;
  m_ofn.nFilterIndex = 1;
  m_ofn.lpstrFile = buffer_;
  m_ofn.nMaxFile = MAX_PATH;
  m_ofn.lpstrDefExt = defaultExtension_.empty() ? nullptr : defaultExtension_.c_str();
  m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal() {
  const BOOL chosen = open_ ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
  if (!chosen) return IDCANCEL;
  path_ = buffer_;
  return IDOK;
}

std::wstring CFileDialog::GetFileExt() const { return FileExtensionOf(path_); }
