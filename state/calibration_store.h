#pragma once
// Where the calibrations persist: two values of their own under the program's key, the list
// as lines of text and the name of the one in use. A damaged value costs only what cannot be
// read: the rest is kept, the user is told once, and the repaired list is stored at once so
// the message does not come back at every start.
#include <string>

#include "state/calibration.h"
#include "state/measuring.h"

inline constexpr wchar_t kCalibrationListValue[] = L"CalibrationList";    // REG_SZ: FormatCalibrationList
inline constexpr wchar_t kCalibrationInUseValue[] = L"CalibrationInUse";  // REG_SZ: a name; empty: none

struct StoredCalibrations {
  CalibrationSet set;    // what could be read
  std::wstring problem;  // empty when everything stored was read; otherwise what to tell the user
};
StoredCalibrations ReadStoredCalibrations();
// Writes both values; false when the registry refused either.
bool StoreCalibrations(const CalibrationSet& set);

// Puts the stored calibrations into `book`; when some could not be read, stores what was kept
// and returns the one message to show (empty when there is nothing to say).
std::wstring LoadCalibrations(CalibrationBook& book);
// Makes `set` the calibrations of this run and of the next.
void SaveCalibrations(CalibrationBook& book, CalibrationSet set);
