#pragma once
// The program's own key under the current user: the camera settings and the viewer's other
// choices live there, each in a value of its own.

inline constexpr wchar_t kSettingsKey[] = L"Software\\ORMELAN\\TK Lumora-Q7";
