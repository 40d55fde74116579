#pragma once
// Where recordings go and what their files are called: the folder is kept per user in the value
// "RecordingFolder" under the program's registry key (the user's Videos folder until chosen).
#include <windows.h>

#include <cstdint>
#include <string>

inline constexpr wchar_t kRecordingFolderValue[] = L"RecordingFolder";  // REG_SZ
// Recordings go on in a new numbered file before one passes what FAT32 can hold (a USB stick).
inline constexpr wchar_t kRecordingSplitValue[] = L"RecordingSplitForFat32";  // REG_DWORD 0 or 1
inline constexpr std::uint64_t kFat32FileBytes = 4'000'000'000;               // under FAT32's 4 GiB - 1

// The stored folder; the user's Videos folder when none is stored.
std::wstring LoadRecordingFolder();
// RegSetValueEx's result.
LONG StoreRecordingFolder(const std::wstring& folder);

// "Q7_20261208_153012.avi" for a recording started at that local time.
std::wstring RecordingFileName(const SYSTEMTIME& localTime);
