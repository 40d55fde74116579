#pragma once
// Camera settings as a small text file (.q7cam), saved and loaded from the property dialog:
//
//   # Q7Viewer camera settings
//   version = 1
//   resolution = 2592 x 1944
//   auto_exposure = off
//   exposure_lower_limit_us = 10
//   ...
//   gain_offset_percent = -12.5
//
// The first line names the format and the first setting is the format's version; then one
// "name = value" per line, in any order. Blank lines and lines starting with '#' are
// skipped; lines end in CR LF or LF. Switches are on or off (1 or 0), the resolution is
// width x height and must be one the camera offers, numbers are plain decimals.
//
// A setting the file leaves out keeps its value in the record the file is loaded onto (the
// camera's current settings), so a hand-written file may name just the few it changes;
// saving always writes every setting. The record's reserved fields and its own version
// never appear in the file.
#include <string>
#include <string_view>

#include "camera/property_record.h"

inline constexpr int kSettingsFileVersion = 1;
inline constexpr char kSettingsFileHeader[] = "# Q7Viewer camera settings";

// Every setting of the record, one per line.
std::string FormatSettingsFile(const PropertyRecord& record);

struct SettingsFileResult {
  bool ok = false;
  PropertyRecord record{};  // when ok: the base record with the file's settings
  int line = 0;             // when not: the first line at fault, counted from 1
  std::string error;        // when not: what is wrong with it
};

// Reads a settings file onto `base`. Anything wrong refuses the whole file: a first line
// that is not the header, a missing or newer version, a line that is not "name = value",
// an unknown or repeated name, a value that is not a number or out of its range, a
// resolution the camera does not offer, a lower limit above its upper limit.
SettingsFileResult ParseSettingsFile(std::string_view text, const PropertyRecord& base);
