#include "panel/recording_choices.h"

#include <shlobj.h>

#include <cstdio>

#include "framework/registry_value.h"
#include "state/settings_key.h"

std::wstring LoadRecordingFolder() {
  wchar_t folder[MAX_PATH + 1] = L"";
  // One character short of the buffer, so the text always ends in a null.
  if (ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kRecordingFolderValue, REG_SZ, folder,
                        MAX_PATH * sizeof(wchar_t)) == ERROR_SUCCESS &&
      folder[0] != L'\0') {
    return folder;
  }
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_MYVIDEO | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return folder;
}

LONG StoreRecordingFolder(const std::wstring& folder) {
  return WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kRecordingFolderValue, REG_SZ, folder.c_str(),
                            static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

std::wstring RecordingFileName(const SYSTEMTIME& t) {
  wchar_t name[64];
  std::swprintf(name, 64, L"Q7_%04u%02u%02u_%02u%02u%02u.avi", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return name;
}
