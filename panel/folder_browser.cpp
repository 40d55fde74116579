#include "panel/folder_browser.h"

#include <shlobj.h>

#include <memory>

namespace {

struct ItemIdListDeleter {
  void operator()(ITEMIDLIST* list) const noexcept { ::CoTaskMemFree(list); }
};

int CALLBACK BrowseStartsIn(HWND browser, UINT msg, LPARAM, LPARAM folder) noexcept {
  if (msg == BFFM_INITIALIZED) ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder);
  return 0;
}

}  // namespace

std::optional<std::wstring> BrowseForFolder(HWND owner, const wchar_t* title, const std::wstring& start) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = BrowseStartsIn;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  const std::unique_ptr<ITEMIDLIST, ItemIdListDeleter> chosen(::SHBrowseForFolderW(&info));
  wchar_t folder[MAX_PATH] = L"";
  if (!chosen || !::SHGetPathFromIDListW(chosen.get(), folder)) return std::nullopt;
  return folder;
}
