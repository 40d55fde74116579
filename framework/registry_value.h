#pragma once
// Reading and writing one registry value, the key opened and closed around it.
#include <windows.h>

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
