#pragma once
// Camera settings as a small text file (.q7cam), saved and loaded from the property dialog:
//
//   # Q7Viewer camera settings
//   version = 2
//   resolution = 2592 x 1944
//   auto_exposure = off
//   exposure_lower_limit_us = 10
//   ...
//   gain_offset_percent = -12.5
//   calibration = 4x, 0.55
//   calibration = 10x, 0.22
//   calibration_in_use = 10x
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
//
// Version 2 added the calibrations (state/calibration.h): one line per calibration, its
// name and the size of a sensor pixel in micrometres, and the one in use. A file of version 1
// has none and still loads; a file without calibrations leaves the user's own alone.
#include <string>
#include <string_view>

#include <optional>

#include "camera/property_record.h"
#include "state/calibration.h"

inline constexpr int kSettingsFileVersion = 2;
inline constexpr char kSettingsFileHeader[] = "# Q7Viewer camera settings";

// Every setting of the record, one per line, then the calibrations.
std::string FormatSettingsFile(const PropertyRecord& record, const CalibrationSet& calibrations = {});

struct SettingsFileResult {
  bool ok = false;
  PropertyRecord record{};                     // when ok: the base record with the file's settings
  std::optional<CalibrationSet> calibrations;  // when ok and the file lists calibrations
  int line = 0;                                // when not: the first line at fault, counted from 1
  std::string error;                           // when not: what is wrong with it
};

// Reads a settings file onto `base`. Anything wrong refuses the whole file: a first line
// that is not the header, a missing or newer version, a line that is not "name = value",
// an unknown or repeated name, a value that is not a number or out of its range, a
// resolution the camera does not offer, a lower limit above its upper limit, a calibration
// that is not a name and a pixel size or whose name is taken, a calibration in use that the
// file does not list.
SettingsFileResult ParseSettingsFile(std::string_view text, const PropertyRecord& base);
