#include "state/stored_switch.h"

#include <windows.h>

#include "framework/registry_value.h"
#include "state/settings_key.h"

void StoreSwitch(const wchar_t* valueName, bool on) noexcept {
  const DWORD stored = on ? 1 : 0;
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, valueName, REG_DWORD, &stored, sizeof stored);
}

bool LoadSwitch(const wchar_t* valueName) noexcept {
  DWORD stored = 0;
  const bool read =
      ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, valueName, REG_DWORD, &stored, sizeof stored) == ERROR_SUCCESS;
  return read && stored != 0;
}
