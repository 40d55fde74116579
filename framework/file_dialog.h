#pragma once
// CFileDialog: the common open/save dialog, with the filter written as "Text|*.ext|...|".
#include <windows.h>
#include <commdlg.h>

#include <string>

class CWnd;

class CFileDialog {
 public:
  CFileDialog(BOOL openFileDialog, const wchar_t* defaultExtension = nullptr, const wchar_t* fileName = nullptr,
              DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* filter = nullptr,
              CWnd* parent = nullptr);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // IDOK when the user chose a file, IDCANCEL otherwise.
  INT_PTR DoModal();
  std::wstring GetPathName() const { return path_; }
  // The chosen name's extension without the dot; empty when it has none.
  std::wstring GetFileExt() const;

  OPENFILENAMEW m_ofn{};

 private:
  BOOL open_;
  std::wstring defaultExtension_;
  std::wstring filter_;  // separators already turned into NULs
  std::wstring path_;
  wchar_t buffer_[MAX_PATH] = L"";
};

// "A|*.a|B|*.b|" becomes "A\0*.a\0B\0*.b\0\0", the form the common dialog reads.
std::wstring ConvertDialogFilter(const wchar_t* filter);
// The extension of a path's file name, without the dot.
std::wstring FileExtensionOf(const std::wstring& path);
