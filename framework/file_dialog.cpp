#include "framework/file_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cwchar>

#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

constexpr std::size_t kTextBuffer = 32768;  // more than any name box or folder holds

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// A dialog message that fills a text buffer, as CDM_GETFOLDERPATH and CDM_GETSPEC do; empty
// when it fails.
std::wstring DialogText(HWND dialog, UINT msg) {
  std::wstring text(kTextBuffer, L'\0');
  const LRESULT needed = ::SendMessageW(dialog, msg, text.size(), reinterpret_cast<LPARAM>(text.data()));
  if (needed <= 0 || static_cast<std::size_t>(needed) > text.size()) return {};
  text.resize(std::wcslen(text.c_str()));
  return text;
}

// The folder a typed name is taken relative to; a folder outside the file system (such as
// the computer itself) leaves the dialog using the current directory.
std::wstring NameFolder(HWND dialog) {
  std::wstring folder = DialogText(dialog, CDM_GETFOLDERPATH);
  if (folder.empty()) {
    folder.resize(kTextBuffer);
    folder.resize(std::min<std::size_t>(::GetCurrentDirectoryW(kTextBuffer, folder.data()), kTextBuffer));
  }
  return folder;
}

// The edit of the dialog's name box: in a combo box with an edit (cmb13), or an edit (edt1).
HWND NameEdit(HWND dialog) {
  if (HWND box = ::GetDlgItem(dialog, cmb13)) {
    if (auto edit = reinterpret_cast<HWND>(::SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0))) return edit;
    if (HWND edit = ::FindWindowExW(box, nullptr, L"Edit", nullptr)) return edit;
  }
  return ::GetDlgItem(dialog, edt1);
}

}  // namespace

std::wstring ConvertDialogFilter(const wchar_t* filter) {
  std::wstring converted = filter ? filter : L"";
  for (wchar_t& c : converted)
    if (c == L'|') c = L'\0';
  converted.push_back(L'\0');
  return converted;
}

std::wstring PathTooLongMessage(std::size_t length) {
  return L"This name is too long to save: with its folder it makes a path of " + std::to_wstring(length) +
         L" characters, and at most " + std::to_wstring(kMaxFullPathLength) +
         L" fit. Choose a shorter name, or a folder nearer the top of the drive.";
}

std::size_t ChosenPathLength(const std::wstring& folder, const std::wstring& name, std::size_t extensionRoom) {
  std::size_t length = folder.size() + 1 + name.size();
  if (name.size() >= 2 && IsSlash(name[0]) && IsSlash(name[1])) {
    length = name.size();  // \\server\share\...
  } else if (name.size() >= 3 && name[1] == L':' && IsSlash(name[2])) {
    length = name.size();  // C:\...
  } else if (!name.empty() && IsSlash(name[0])) {
    length = 2 + name.size();  // \dir\... on the folder's drive
  }
  return length + extensionRoom;
}

int NameLimit(std::size_t folderLength, std::size_t extensionRoom) {
  const std::size_t used = folderLength + 1 + extensionRoom;
  return used + 1 > kMaxFullPathLength ? 1 : static_cast<int>(kMaxFullPathLength - used);
}

std::size_t LongestFilterExtension(const std::wstring& convertedFilter) {
  std::size_t longest = 0;
  bool isPattern = false;  // the filter alternates descriptions and patterns
  for (std::size_t start = 0; start < convertedFilter.size();) {
    const std::size_t end = std::min(convertedFilter.find(L'\0', start), convertedFilter.size());
    if (isPattern) {
      for (std::size_t p = start; p < end;) {
        const std::size_t patternEnd = std::min(convertedFilter.find(L';', p), end);
        const std::size_t dot = convertedFilter.find(L'.', p);
        const std::size_t star = convertedFilter.find(L'*', dot);
        if (dot < patternEnd && star >= patternEnd) longest = std::max(longest, patternEnd - dot);
        p = patternEnd + 1;
      }
    }
    isPattern = !isPattern;
    start = end + 1;
  }
  return longest;
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
  m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_ENABLEHOOK;
  m_ofn.lpfnHook = &CFileDialog::HookProc;
  m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
  // With a default extension the dialog appends the chosen filter's to a name without one.
  extensionRoom_ = 0;
  if (!defaultExtension_.empty()) {
    extensionRoom_ = LongestFilterExtension(filter_);
    if (extensionRoom_ == 0) extensionRoom_ = 1 + defaultExtension_.size();  // no filter names one
  }
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hook, UINT msg, WPARAM, LPARAM lp) noexcept {
  // The hook is a child of the dialog; the dialog's own messages are what matter here.
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* self = reinterpret_cast<const CFileDialog*>(reinterpret_cast<const OPENFILENAMEW*>(lp)->lCustData);
      ::SetWindowSubclass(::GetParent(hook), &CFileDialog::DialogProc, 0, reinterpret_cast<DWORD_PTR>(self));
      break;
    }
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const OFNOTIFYW*>(lp);
      if (notice->hdr.code == CDN_INITDONE || notice->hdr.code == CDN_FOLDERCHANGE) {
        reinterpret_cast<const CFileDialog*>(notice->lpOFN->lCustData)->LimitNameToFolder(::GetParent(hook));
      }
      break;
    }
    default: break;
  }
  return 0;
}

LRESULT CALLBACK CFileDialog::DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR self) noexcept {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK && !reinterpret_cast<const CFileDialog*>(self)->NameFits(dialog)) return 0;
      break;
    case WM_NCDESTROY: ::RemoveWindowSubclass(dialog, &CFileDialog::DialogProc, id); break;
    default: break;
  }
  return ::DefSubclassProc(dialog, msg, wp, lp);
}

void CFileDialog::LimitNameToFolder(HWND dialog) const noexcept {
  if (HWND edit = NameEdit(dialog)) {
    ::SendMessageW(edit, EM_LIMITTEXT, NameLimit(NameFolder(dialog).size(), extensionRoom_), 0);
  }
}

bool CFileDialog::NameFits(HWND dialog) const noexcept {
  const std::wstring name = DialogText(dialog, CDM_GETSPEC);
  if (name.empty()) return true;  // the dialog itself answers an empty name
  const std::size_t length = ChosenPathLength(NameFolder(dialog), name, extensionRoom_);
  if (length <= kMaxFullPathLength) return true;
  ::MessageBoxW(dialog, PathTooLongMessage(length).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

INT_PTR CFileDialog::DoModal() {
  // Without a parent the main window owns it, as a dialog's does: otherwise the always-on-top
  // panel stays usable (and on top) behind it.
  if (!m_ofn.hwndOwner) {
    if (CWnd* main = AfxGetMainWnd()) m_ofn.hwndOwner = main->m_hWnd;
  }
  const BOOL chosen = open_ ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
  if (!chosen) return IDCANCEL;
  path_ = buffer_;
  return IDOK;
}

std::wstring CFileDialog::GetFileExt() const { return FileExtensionOf(path_); }
