#pragma once
// Where recordings go and what their files are called: the folder is kept per user in the value
// "RecordingFolder" under the program's registry key (the user's Videos folder until chosen).
#include <windows.h>

#include <string>

inline constexpr wchar_t kRecordingFolderValue[] = L"RecordingFolder";  // REG_SZ

// The stored folder; the user's Videos folder when none is stored.
std::wstring LoadRecordingFolder();
// RegSetValueEx's result.
LONG StoreRecordingFolder(const std::wstring& folder);

// "Q7_20261208_153012.avi" for a recording started at that local time.
std::wstring RecordingFileName(const SYSTEMTIME& localTime);
