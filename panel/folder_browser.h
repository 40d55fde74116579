#pragma once
// The system's folder browser, opened in the folder a user chose before.
#include <windows.h>

#include <optional>
#include <string>

// The folder chosen, or nothing when the user cancelled; `owner` may be null.
std::optional<std::wstring> BrowseForFolder(HWND owner, const wchar_t* title, const std::wstring& start);
