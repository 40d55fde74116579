#pragma once
// CFileDialog: the common open/save dialog, with the filter written as "Text|*.ext|...|".
#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <string>

class CWnd;

// The common dialog puts the folder and the typed name together in a buffer of MAX_PATH
// characters without checking the length (under Wine a name of some 250 characters crashes
// the program), so the dialog keeps every name within that: the name box takes no more
// characters than fit beside the current folder, and OK with a longer name (one pasted, or
// typed before moving to a deeper folder) is refused with a message and the dialog stays.
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
  static UINT_PTR CALLBACK HookProc(HWND hook, UINT msg, WPARAM wp, LPARAM lp) noexcept;
  static LRESULT CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self) noexcept;
  void LimitNameToFolder(HWND dialog) const noexcept;
  // False, after telling the user, when the typed name makes too long a path.
  bool NameFits(HWND dialog) const noexcept;

  BOOL open_;
  std::size_t extensionRoom_;  // what the dialog may append to a name
  std::wstring defaultExtension_;
  std::wstring filter_;  // separators already turned into NULs
  std::wstring path_;
  wchar_t buffer_[MAX_PATH] = L"";
};

// "A|*.a|B|*.b|" becomes "A\0*.a\0B\0*.b\0\0", the form the common dialog reads.
std::wstring ConvertDialogFilter(const wchar_t* filter);
// The extension of a path's file name, without the dot.
std::wstring FileExtensionOf(const std::wstring& path);

// The longest full path a file is saved under: MAX_PATH less the terminating null.
inline constexpr std::size_t kMaxFullPathLength = MAX_PATH - 1;
// What the user is told about a name whose full path has `length` characters.
std::wstring PathTooLongMessage(std::size_t length);
// The length of the full path the dialog makes of `name` typed in `folder` (absolute names
// stand alone), with `extensionRoom` characters for an extension it may append.
std::size_t ChosenPathLength(const std::wstring& folder, const std::wstring& name, std::size_t extensionRoom);
// The most characters a name typed in a folder of `folderLength` characters may have (at
// least 1): the most with which ChosenPathLength stays within kMaxFullPathLength.
int NameLimit(std::size_t folderLength, std::size_t extensionRoom);
// The longest extension of a converted filter's patterns, dot included: 5 for "*.WBMP".
std::size_t LongestFilterExtension(const std::wstring& convertedFilter);
