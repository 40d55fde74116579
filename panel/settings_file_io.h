#pragma once
// Settings files on disk for the property dialog's Save... and Load... buttons: the file
// dialog's filter, and reading and writing with a message for the user on every failure.
// The format itself is camera/settings_file.h.
#include <optional>
#include <string>

#include "camera/property_record.h"
#include "state/calibration.h"

inline constexpr wchar_t kSettingsFileFilter[] = L"Camera settings (*.q7cam)|*.q7cam|";
inline constexpr wchar_t kSettingsFileExtension[] = L"q7cam";

// Empty when the whole file was written; otherwise what to tell the user.
std::wstring WriteSettingsFile(const std::wstring& path, const PropertyRecord& record,
                               const CalibrationSet& calibrations = {});

struct LoadedSettings {
  bool ok = false;
  PropertyRecord record{};                     // when ok: `base` with the file's settings
  std::optional<CalibrationSet> calibrations;  // when ok and the file lists calibrations
  std::wstring error;                          // when not: what to tell the user, naming the line at fault
};

// Reads and checks the whole file; a settings file is small, so a large file is refused
// before it is read.
LoadedSettings ReadSettingsFile(const std::wstring& path, const PropertyRecord& base);
