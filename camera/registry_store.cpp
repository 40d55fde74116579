#include "camera/registry_store.h"

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

StoredRecord ReadStoredRecord() noexcept {
  std::int32_t version = 0;
  LONG result = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &version, sizeof version);
  std::uint8_t bytes[sizeof(PropertyRecord)];
  DWORD size = 0;
  if (result == ERROR_SUCCESS)
    result = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, bytes, sizeof bytes, &size);
  // A failed query may leave the buffers undefined: then nothing of them is used.
  if (result != ERROR_SUCCESS) return {RecordFromStoredBytes({}, 0), result};
  return {RecordFromStoredBytes({bytes, size}, version), result};
}
