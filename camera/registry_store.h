#pragma once
// Where the camera settings persist: two values under one key of the current user.
#include <windows.h>

#include "camera/property_record.h"

inline constexpr wchar_t kSettingsKey[] = L"Software\\ORMELAN\\TK Lumora-Q7";
inline constexpr wchar_t kVersionValue[] = L"Version";    // REG_DWORD, 4 bytes
inline constexpr wchar_t kPropertyValue[] = L"Property";  // REG_BINARY, the 136-byte PropertyRecord

// Opens the key with all access, creating it when that fails, and sets the value.
// Returns RegSetValueEx's result.
LONG WriteRegistryValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, DWORD type, const void* bytes,
                        DWORD byteCount) noexcept;

// Zeroes the buffer, then queries the value into it without creating the key. Returns the
// query's result (ERROR_SUCCESS, or e.g. ERROR_MORE_DATA for a value longer than the
// buffer). A shorter value leaves the rest of the buffer zero; the stored type is not checked.
// `storedSize`, when given, receives the size of the value read.
LONG ReadRegistryValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, DWORD type, void* buffer,
                       DWORD byteCount, DWORD* storedSize = nullptr) noexcept;

struct StoredRecord {
  PropertyRecord record;
  LONG result;  // ERROR_SUCCESS, or why the defaults were taken (ERROR_FILE_NOT_FOUND: nothing stored)
};
// The settings record stored for the current user, in range (see RecordFromStoredBytes). When
// "Version" or "Property" cannot be read (absent, or longer than 4 and 136 bytes), the
// defaults with version 0.
StoredRecord ReadStoredRecord() noexcept;
