#include "camera/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <optional>
#include <vector>

#include "framework/text_encoding.h"

namespace {

// The values a setting of the file may take, as numbers, from the record's own ranges.
struct SettingRange {
  double min;
  double max;
  double smallestAboveZero = 0.0;  // a value between 0 and this is refused (the white balance)
  constexpr bool Contains(double value) const noexcept {
    return value >= min && value <= max && !(value > 0.0 && value < smallestAboveZero);
  }
};
template <typename T>
constexpr SettingRange From(ValueRange<T> range, double smallestAboveZero = 0.0) {
  return {static_cast<double>(range.min), static_cast<double>(range.max), smallestAboveZero};
}
constexpr SettingRange kSwitchRange{0, 1};  // auto exposure, auto gain, mono, flips
constexpr SettingRange kResolutionIndexRange{0, kResolutionCount - 1};

enum class Kind { Switch, WholeNumber, Number, Resolution };

struct Setting {
  const char* name;
  Kind kind;
  SettingRange range;
  std::int32_t PropertyRecord::*whole;  // every kind but Number (Resolution: the index)
  double PropertyRecord::*number;       // Number
};

constexpr Setting Whole(const char* name, Kind kind, SettingRange range, std::int32_t PropertyRecord::*field) {
  return {name, kind, range, field, nullptr};
}

constexpr Setting Decimal(const char* name, SettingRange range, double PropertyRecord::*field) {
  return {name, Kind::Number, range, nullptr, field};
}

// In the order a saved file lists them, which is the property dialog's order.
constexpr Setting kSettings[] = {
    Whole("resolution", Kind::Resolution, kResolutionIndexRange, &PropertyRecord::resolutionIndex),
    Whole("auto_exposure", Kind::Switch, kSwitchRange, &PropertyRecord::autoExposure),
    Whole("exposure_lower_limit_us", Kind::WholeNumber, From(kExposureLimitRange), &PropertyRecord::exposureLowerLimit),
    Whole("exposure_upper_limit_us", Kind::WholeNumber, From(kExposureLimitRange), &PropertyRecord::exposureUpperLimit),
    Whole("exposure_time_us", Kind::WholeNumber, From(kExposureTimeRange), &PropertyRecord::exposureTime),
    Whole("auto_gain", Kind::Switch, kSwitchRange, &PropertyRecord::autoGain),
    Decimal("gain_lower_limit_db", From(kGainRange), &PropertyRecord::gainLowerLimit),
    Decimal("gain_upper_limit_db", From(kGainRange), &PropertyRecord::gainUpperLimit),
    Decimal("gain_db", From(kGainRange), &PropertyRecord::gain),
    Decimal("total_gain", From(kTotalGainRange, kWhiteBalanceStep), &PropertyRecord::totalGain),
    Decimal("red_gain", From(kColourGainRange, kWhiteBalanceStep), &PropertyRecord::redGain),
    Decimal("green_gain", From(kColourGainRange, kWhiteBalanceStep), &PropertyRecord::greenGain),
    Decimal("blue_gain", From(kColourGainRange, kWhiteBalanceStep), &PropertyRecord::blueGain),
    Whole("mono", Kind::Switch, kSwitchRange, &PropertyRecord::mono),
    Whole("flip_vertical", Kind::Switch, kSwitchRange, &PropertyRecord::flipVertical),
    Whole("flip_horizontal", Kind::Switch, kSwitchRange, &PropertyRecord::flipHorizontal),
    Decimal("gain_offset_percent", From(kGainOffsetRange), &PropertyRecord::gainOffset),
};
constexpr int kSettingCount = static_cast<int>(std::size(kSettings));

int SettingIndex(std::string_view name) {
  for (int i = 0; i < kSettingCount; ++i) {
    if (name == kSettings[i].name) return i;
  }
  return -1;
}

// A lower limit above its upper limit is refused like a value out of range.
struct LimitPair {
  const char* lower;
  const char* upper;
};
constexpr LimitPair kLimitPairs[] = {{"exposure_lower_limit_us", "exposure_upper_limit_us"},
                                     {"gain_lower_limit_db", "gain_upper_limit_db"}};

constexpr char kVersionName[] = "version";
constexpr char kCalibrationName[] = "calibration";  // one line per calibration
constexpr char kCalibrationInUseName[] = "calibration_in_use";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kTimesSign = "\xC3\x97";  // U+00D7 in UTF-8

// The shortest plain decimal that reads back as the same double (no exponent: 500000, not
// 5e+05); any double fits the buffer.
std::string FormatNumber(double value) {
  char text[400];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return error == std::errc{} ? std::string(text, end) : std::string("?");
}

std::string FormatSize(int width, int height) { return std::to_string(width) + " x " + std::to_string(height); }

std::string FormatValue(const Setting& s, const PropertyRecord& r) {
  switch (s.kind) {
    case Kind::Switch: return r.*s.whole != 0 ? "on" : "off";
    case Kind::WholeNumber: return std::to_string(r.*s.whole);
    case Kind::Number: return FormatNumber(r.*s.number);
    case Kind::Resolution: {
      const int index = r.*s.whole;
      // Not a resolution of the camera: written so that loading the file says so.
      if (!kResolutionIndexRange.Contains(index)) return "index " + std::to_string(index);
      return FormatSize(kResolutions[index].width, kResolutions[index].height);
    }
  }
  return {};
}

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The text as the message shows it: quoted, and cut short when long.
std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string quoted(1, '"');
  quoted.append(text.substr(0, kShown));
  if (text.size() > kShown) quoted.append("...");
  quoted.push_back('"');
  return quoted;
}

std::string RangeText(SettingRange range) {
  std::string text = FormatNumber(range.min) + " to " + FormatNumber(range.max);
  if (range.smallestAboveZero > 0.0) text += " (0 or at least " + FormatNumber(range.smallestAboveZero) + ")";
  return text;
}

// Digits with an optional sign, nothing else.
std::optional<long long> ParseWhole(std::string_view text) {
  if (text.size() > 1 && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseNumber(std::string_view text) {
  if (text.size() > 1 && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> ParseSwitch(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "on" || lower == "1") return 1;
  if (lower == "off" || lower == "0") return 0;
  return std::nullopt;
}

struct Size {
  long long width, height;
};

// "2592 x 1944", also with X or the times sign, spaces optional.
std::optional<Size> ParseSize(std::string_view text) {
  std::size_t at = text.find_first_of("xX");
  std::size_t length = 1;
  if (at == std::string_view::npos) {
    at = text.find(kTimesSign);
    length = kTimesSign.size();
  }
  if (at == std::string_view::npos) return std::nullopt;
  const auto width = ParseWhole(Trim(text.substr(0, at)));
  const auto height = ParseWhole(Trim(text.substr(at + length)));
  if (!width || !height) return std::nullopt;
  return Size{*width, *height};
}

std::string OfferedResolutions() {
  std::string list;
  for (const Resolution& r : kResolutions) list += (list.empty() ? "" : ", ") + FormatSize(r.width, r.height);
  return list;
}

// Stores the value in the record; the reason when it cannot.
std::optional<std::string> Assign(const Setting& s, std::string_view value, PropertyRecord& r) {
  const std::string name = Quoted(s.name);
  switch (s.kind) {
    case Kind::Switch: {
      const auto on = ParseSwitch(value);
      if (!on) return name + " must be on or off, not " + Quoted(value);
      r.*s.whole = *on;
      return std::nullopt;
    }
    case Kind::WholeNumber: {
      const auto v = ParseWhole(value);
      if (!v || !s.range.Contains(static_cast<double>(*v)))
        return name + " must be a whole number from " + RangeText(s.range) + ", not " + Quoted(value);
      r.*s.whole = static_cast<std::int32_t>(*v);
      return std::nullopt;
    }
    case Kind::Number: {
      const auto v = ParseNumber(value);
      if (!v || !s.range.Contains(*v))
        return name + " must be a number from " + RangeText(s.range) + ", not " + Quoted(value);
      r.*s.number = *v;
      return std::nullopt;
    }
    case Kind::Resolution: {
      const auto size = ParseSize(value);
      if (!size) return name + " must be width x height, such as 2592 x 1944, not " + Quoted(value);
      int index = -1;
      if (size->width > 0 && size->width <= kSensorWidth && size->height > 0 && size->height <= kSensorHeight)
        index = ResolutionIndexOf(static_cast<int>(size->width), static_cast<int>(size->height));
      if (index < 0) {
        return "the camera has no resolution " + std::to_string(size->width) + " x " + std::to_string(size->height) +
               "; it offers " + OfferedResolutions();
      }
      r.*s.whole = index;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

double ValueOf(const Setting& s, const PropertyRecord& r) { return s.kind == Kind::Number ? r.*s.number : r.*s.whole; }

}  // namespace

std::string FormatSettingsFile(const PropertyRecord& record, const CalibrationSet& calibrations) {
  std::string text = std::string(kSettingsFileHeader) + "\r\n";
  text += std::string(kVersionName) + " = " + std::to_string(kSettingsFileVersion) + "\r\n";
  for (const Setting& s : kSettings) text += std::string(s.name) + " = " + FormatValue(s, record) + "\r\n";
  for (const Calibration& c : calibrations.items)
    text += std::string(kCalibrationName) + " = " + WideToUtf8(FormatCalibration(c)) + "\r\n";
  if (const Calibration* inUse = calibrations.InUse())
    text += std::string(kCalibrationInUseName) + " = " + WideToUtf8(inUse->name) + "\r\n";
  return text;
}

SettingsFileResult ParseSettingsFile(std::string_view text, const PropertyRecord& base) {
  SettingsFileResult result;
  const auto fail = [&result](int line, std::string error) {
    result.line = line;
    result.error = std::move(error);
    return result;
  };
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  const std::vector<std::string_view> lines = SplitLines(text);
  if (lines.empty() || Trim(lines[0]) != kSettingsFileHeader) {
    return fail(
        1, std::string("not a Q7Viewer camera settings file: the first line must be ") + Quoted(kSettingsFileHeader));
  }

  PropertyRecord record = base;
  int versionLine = 0;
  int lineOf[kSettingCount] = {};  // 0: not in the file
  CalibrationSet calibrations;
  std::vector<int> calibrationLines;  // of each of calibrations.items
  int inUseLine = 0;
  for (int n = 2; n <= static_cast<int>(lines.size()); ++n) {
    const std::string_view line = Trim(lines[n - 1]);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t equals = line.find('=');
    const std::string_view name = Trim(line.substr(0, equals));
    if (equals == std::string_view::npos || name.empty()) return fail(n, "expected name = value, not " + Quoted(line));
    const std::string_view value = Trim(line.substr(equals + 1));

    if (versionLine == 0) {
      if (name != kVersionName) return fail(n, "the first setting must be the version, not " + Quoted(name));
      const auto version = ParseWhole(value);
      if (!version || *version < 1) return fail(n, "\"version\" must be a whole number from 1, not " + Quoted(value));
      if (*version > kSettingsFileVersion) {
        return fail(n, "the file is of version " + std::to_string(*version) +
                           ", written by a newer Q7Viewer; this one reads version " +
                           std::to_string(kSettingsFileVersion));
      }
      versionLine = n;
      continue;
    }
    if (name == kVersionName)
      return fail(n, "\"version\" is set twice (first on line " + std::to_string(versionLine) + ")");
    if (name == kCalibrationName) {
      ParsedCalibration parsed = ParseCalibration(Utf8ToWide(value));
      if (!parsed.calibration) return fail(n, "\"calibration\": " + WideToUtf8(parsed.problem));
      if (calibrations.items.size() >= kMaxCalibrations)
        return fail(n, "more than " + std::to_string(kMaxCalibrations) + " calibrations");
      if (const int taken = calibrations.IndexOf(parsed.calibration->name); taken >= 0) {
        return fail(n, "a second calibration called " + Quoted(WideToUtf8(parsed.calibration->name)) +
                           " (first on line " + std::to_string(calibrationLines[taken]) + ")");
      }
      calibrations.items.push_back(std::move(*parsed.calibration));
      calibrationLines.push_back(n);
      continue;
    }
    if (name == kCalibrationInUseName) {
      if (inUseLine != 0)
        return fail(n, Quoted(name) + " is set twice (first on line " + std::to_string(inUseLine) + ")");
      calibrations.inUse = Utf8ToWide(value);
      inUseLine = n;
      continue;
    }
    const int index = SettingIndex(name);
    if (index < 0) return fail(n, "unknown setting " + Quoted(name));
    if (lineOf[index] != 0) {
      return fail(n, Quoted(name) + " is set twice (first on line " + std::to_string(lineOf[index]) + ")");
    }
    if (auto error = Assign(kSettings[index], value, record)) return fail(n, *error);
    lineOf[index] = n;
  }
  if (versionLine == 0) return fail(static_cast<int>(lines.size()), "the file ends before its version");

  for (const LimitPair& pair : kLimitPairs) {
    const int lower = SettingIndex(pair.lower), upper = SettingIndex(pair.upper);
    const double low = ValueOf(kSettings[lower], record), high = ValueOf(kSettings[upper], record);
    // Blamed on whichever of the two the file set last; a pair the file leaves alone is the
    // base record's business.
    const int line = std::max(lineOf[lower], lineOf[upper]);
    if (low > high && line != 0) {
      return fail(line, Quoted(pair.lower) + " (" + FormatNumber(low) + ") is above " + Quoted(pair.upper) + " (" +
                            FormatNumber(high) + ")");
    }
  }
  if (inUseLine != 0 && !calibrations.InUse())
    return fail(inUseLine, "the calibration in use, " + Quoted(WideToUtf8(calibrations.inUse)) + ", is not listed");
  result.ok = true;
  result.record = record;
  if (!calibrations.items.empty()) result.calibrations = std::move(calibrations);
  return result;
}
