#pragma once
// Calibrations: the size of one sensor pixel in micrometres, named after the objective it was
// measured with ("4x", "10x", "40x"). A sensor pixel keeps its size at every resolution (the
// resolutions are areas of the sensor), at every zoom and mirrored, so one number per
// objective is all a measurement needs. Pure values and checks; storing them is
// calibration_store.h.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The pixel sizes a calibration may have: a nanometre to a millimetre.
inline constexpr double kMinPixelSizeUm = 0.001;
inline constexpr double kMaxPixelSizeUm = 1000.0;
inline constexpr std::size_t kMaxCalibrationNameLength = 40;
// So many, each at its longest, stay well inside what the stored list may hold (64 KB).
inline constexpr std::size_t kMaxCalibrations = 200;

struct Calibration {
  std::wstring name;
  double micronsPerPixel = 0;
  friend bool operator==(const Calibration&, const Calibration&) = default;
};

struct CalibrationSet {
  std::vector<Calibration> items;
  std::wstring inUse;  // the name of the one in use; empty: none

  // The calibration in use, if it names one of the items.
  const Calibration* InUse() const;
  // The index of the item called `name` (names compare without regard to case), or -1.
  int IndexOf(std::wstring_view name) const;
  friend bool operator==(const CalibrationSet&, const CalibrationSet&) = default;
};

// Why `name` cannot name a calibration of `set` (empty, too long, control characters, or the
// name of another item than `ignoreIndex`); nullopt when it can. Leading and trailing blanks
// are the caller's to trim.
std::optional<std::wstring> CalibrationNameProblem(std::wstring_view name, const CalibrationSet& set,
                                                   int ignoreIndex = -1);
// Why `micronsPerPixel` cannot be a pixel size; nullopt when it can.
std::optional<std::wstring> PixelSizeProblem(double micronsPerPixel);

// The edits of the calibration dialog; each returns why it was refused, or nullopt when done.
// A renamed calibration in use stays in use; a deleted one leaves none in use.
std::optional<std::wstring> AddCalibration(CalibrationSet& set, std::wstring name, double micronsPerPixel);
std::optional<std::wstring> RenameCalibration(CalibrationSet& set, int index, std::wstring name);
std::optional<std::wstring> SetPixelSize(CalibrationSet& set, int index, double micronsPerPixel);
void DeleteCalibration(CalibrationSet& set, int index);

// `incoming`'s calibrations over `base`'s: one of the same name takes the incoming pixel size,
// the others are added after base's, up to kMaxCalibrations; the incoming one in use, if it is
// there, becomes the one in use.
CalibrationSet MergeCalibrations(const CalibrationSet& base, const CalibrationSet& incoming);

// A number as a person types it into a box: blanks around it, a decimal point or comma.
std::optional<double> ParseTypedNumber(std::wstring_view text);

enum class LengthUnit { Micrometre, Millimetre };
// The pixel size at which a line `linePixels` sensor pixels long is `length` `unit`s long;
// nullopt when either is not positive or the result is outside the pixel sizes allowed.
std::optional<double> PixelSizeFromLine(double linePixels, double length, LengthUnit unit);

// One calibration as text: "10x, 0.22" (the name, a comma, the pixel size in µm as the
// shortest decimal that reads back the same). The name may itself hold commas: the last
// one separates.
std::wstring FormatCalibration(const Calibration& calibration);
// The reverse, with the name trimmed; the reason when the text is not a calibration.
struct ParsedCalibration {
  std::optional<Calibration> calibration;
  std::wstring problem;
};
ParsedCalibration ParseCalibration(std::wstring_view text);

// The whole list as lines of FormatCalibration, and back. Reading keeps every good line and
// says what was wrong with each other one (a bad line, or a name already taken).
std::wstring FormatCalibrationList(const CalibrationSet& set);
struct ParsedCalibrationList {
  std::vector<Calibration> items;
  std::vector<std::wstring> problems;  // "line 2: ..."
};
ParsedCalibrationList ParseCalibrationList(std::wstring_view text);
