#pragma once
// What the user is told when the camera refuses a setting: the dialog's own words and units
// ("The camera refused an exposure of 900000 µs."), with the SDK's technical line kept below
// it for support.
#include <string>

// The user's sentence for property `name` asked to take `value`.
std::wstring RefusalSentence(const std::string& name, double value);

// The sentence, then the technical line indented on the next line.
std::wstring RefusalReport(const std::string& name, double value, const std::wstring& technical);
