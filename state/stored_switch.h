#pragma once
// A choice of the current user that is on or off, kept as a REG_DWORD of its own under the
// program's key.

// Stores the choice; a failed write only loses it for the next run.
void StoreSwitch(const wchar_t* valueName, bool on) noexcept;
// The stored choice; off when nothing (or nothing readable) is stored.
bool LoadSwitch(const wchar_t* valueName) noexcept;
