#pragma once
// UTF-8, as files are written, and the UTF-16 of the Windows interface.
#include <string>
#include <string_view>

// Bytes that are not UTF-8 become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
