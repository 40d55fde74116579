#pragma once
// The JPEG quality that snapshots, series and recordings are encoded at, kept per user in a
// value of its own under the program's registry key.
#include <windows.h>

#include <optional>
#include <string>

inline constexpr wchar_t kJpegQualityValue[] = L"JpegQuality";  // REG_DWORD, 1 to 100

// The stored quality; 90 when none is stored or the stored one is out of range.
int LoadJpegQuality();
// RegSetValueEx's result.
LONG StoreJpegQuality(int quality);

// A whole number from 1 to 100, blanks around it allowed; nullopt for anything else.
std::optional<int> ParseJpegQuality(const std::wstring& text);
