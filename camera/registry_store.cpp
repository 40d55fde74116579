#include "camera/registry_store.h"

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

void WriteStoredRecord(const PropertyRecord& record) noexcept {
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &record.version, sizeof record.version);
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &record, sizeof record);
}
