#pragma once
// Where the camera settings persist: two values under one key of the current user.
#include <windows.h>

#include "camera/property_record.h"
#include "framework/registry_value.h"
#include "state/settings_key.h"

inline constexpr wchar_t kVersionValue[] = L"Version";    // REG_DWORD, 4 bytes
inline constexpr wchar_t kPropertyValue[] = L"Property";  // REG_BINARY, the 136-byte PropertyRecord

struct StoredRecord {
  PropertyRecord record;
  LONG result;  // ERROR_SUCCESS, or why the defaults were taken (ERROR_FILE_NOT_FOUND: nothing stored)
};
// The settings record stored for the current user, in range (see RecordFromStoredBytes). When
// "Version" or "Property" cannot be read (absent, or longer than 4 and 136 bytes), the
// defaults with version 0.
StoredRecord ReadStoredRecord() noexcept;
// Stores `record` as the current user's settings (both values; failures are not reported,
// as the record in use stays right either way).
void WriteStoredRecord(const PropertyRecord& record) noexcept;
