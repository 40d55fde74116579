#include "framework/registry_value.h"

#include <cstring>

#include "framework/handles.h"

LONG WriteRegistryValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, DWORD type, const void* bytes,
                        DWORD byteCount) noexcept {
  fw::UniqueRegistryKey key;
  if (::RegOpenKeyExW(root, keyPath, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) {
    const LONG created = ::RegCreateKeyExW(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                           key.put(), nullptr);
    if (created != ERROR_SUCCESS) return created;
  }
  return ::RegSetValueExW(key.get(), valueName, 0, type, static_cast<const BYTE*>(bytes), byteCount);
}

LONG ReadRegistryValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, DWORD type, void* buffer,
                       DWORD byteCount, DWORD* storedSize) noexcept {
  std::memset(buffer, 0, byteCount);
  fw::UniqueRegistryKey key;
  const LONG opened = ::RegOpenKeyExW(root, keyPath, 0, KEY_ALL_ACCESS, key.put());
  if (opened != ERROR_SUCCESS) return opened;
  DWORD storedType = type;
  DWORD size = byteCount;
  const LONG result = ::RegQueryValueExW(key.get(), valueName, nullptr, &storedType, static_cast<BYTE*>(buffer), &size);
  if (storedSize) *storedSize = result == ERROR_SUCCESS ? size : 0;
  return result;
}
