#include "state/calibration.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwctype>

namespace {

std::wstring_view Trim(std::wstring_view s) {
  const std::size_t first = s.find_first_not_of(L" \t\r");
  if (first == std::wstring_view::npos) return {};
  return s.substr(first, s.find_last_not_of(L" \t\r") - first + 1);
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// A plain decimal in ASCII ("0.22", "1e-3" too); nullopt for anything else.
std::optional<double> ParseDecimal(std::wstring_view text) {
  std::string ascii;
  for (const wchar_t c : text) {
    if (c > 127) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  double value = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ascii.empty() || error != std::errc{} || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

std::wstring FormatDecimal(double value) {
  char text[400];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (error != std::errc{}) return L"?";
  return std::wstring(text, end);
}

std::wstring Quoted(std::wstring_view text) { return L"\"" + std::wstring(text.substr(0, 40)) + L"\""; }

}  // namespace

const Calibration* CalibrationSet::InUse() const {
  const int index = inUse.empty() ? -1 : IndexOf(inUse);
  return index < 0 ? nullptr : &items[static_cast<std::size_t>(index)];
}

int CalibrationSet::IndexOf(std::wstring_view name) const {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (SameName(items[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::optional<std::wstring> CalibrationNameProblem(std::wstring_view name, const CalibrationSet& set, int ignoreIndex) {
  if (name.empty()) return L"A calibration needs a name, such as 10x.";
  if (name.size() > kMaxCalibrationNameLength)
    return L"A calibration's name can have at most " + std::to_wstring(kMaxCalibrationNameLength) + L" characters.";
  for (const wchar_t c : name)
    if (std::iswcntrl(c)) return L"A calibration's name cannot hold tabs or line breaks.";
  const int other = set.IndexOf(name);
  if (other >= 0 && other != ignoreIndex) return L"There is already a calibration called " + Quoted(name) + L".";
  return std::nullopt;
}

std::optional<std::wstring> PixelSizeProblem(double micronsPerPixel) {
  if (micronsPerPixel >= kMinPixelSizeUm && micronsPerPixel <= kMaxPixelSizeUm) return std::nullopt;
  return L"The size of a pixel must be from " + FormatDecimal(kMinPixelSizeUm) + L" to " +
         FormatDecimal(kMaxPixelSizeUm) + L" \u00B5m.";
}

std::optional<std::wstring> AddCalibration(CalibrationSet& set, std::wstring name, double micronsPerPixel) {
  if (set.items.size() >= kMaxCalibrations)
    return L"There can be at most " + std::to_wstring(kMaxCalibrations) + L" calibrations: delete one first.";
  if (auto problem = CalibrationNameProblem(name, set)) return problem;
  if (auto problem = PixelSizeProblem(micronsPerPixel)) return problem;
  set.items.push_back({std::move(name), micronsPerPixel});
  return std::nullopt;
}

std::optional<std::wstring> RenameCalibration(CalibrationSet& set, int index, std::wstring name) {
  if (index < 0 || index >= static_cast<int>(set.items.size())) return L"Choose a calibration first.";
  if (auto problem = CalibrationNameProblem(name, set, index)) return problem;
  Calibration& item = set.items[static_cast<std::size_t>(index)];
  if (SameName(set.inUse, item.name)) set.inUse = name;
  item.name = std::move(name);
  return std::nullopt;
}

std::optional<std::wstring> SetPixelSize(CalibrationSet& set, int index, double micronsPerPixel) {
  if (index < 0 || index >= static_cast<int>(set.items.size())) return L"Choose a calibration first.";
  if (auto problem = PixelSizeProblem(micronsPerPixel)) return problem;
  set.items[static_cast<std::size_t>(index)].micronsPerPixel = micronsPerPixel;
  return std::nullopt;
}

void DeleteCalibration(CalibrationSet& set, int index) {
  if (index < 0 || index >= static_cast<int>(set.items.size())) return;
  if (SameName(set.inUse, set.items[static_cast<std::size_t>(index)].name)) set.inUse.clear();
  set.items.erase(set.items.begin() + index);
}

CalibrationSet MergeCalibrations(const CalibrationSet& base, const CalibrationSet& incoming) {
  CalibrationSet merged = base;
  for (const Calibration& c : incoming.items) {
    const int index = merged.IndexOf(c.name);
    if (index >= 0)
      merged.items[static_cast<std::size_t>(index)].micronsPerPixel = c.micronsPerPixel;
    else if (merged.items.size() < kMaxCalibrations)
      merged.items.push_back(c);
  }
  if (const Calibration* inUse = incoming.InUse()) {
    if (const int index = merged.IndexOf(inUse->name); index >= 0)
      merged.inUse = merged.items[static_cast<std::size_t>(index)].name;
  }
  return merged;
}

std::optional<double> ParseTypedNumber(std::wstring_view text) {
  std::wstring number(Trim(text));
  for (wchar_t& c : number)
    if (c == L',') c = L'.';
  const std::optional<double> value = ParseDecimal(number);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<double> PixelSizeFromLine(double linePixels, double length, LengthUnit unit) {
  if (!(linePixels > 0) || !(length > 0) || !std::isfinite(linePixels) || !std::isfinite(length)) return std::nullopt;
  const double microns = unit == LengthUnit::Millimetre ? length * 1000.0 : length;
  const double size = microns / linePixels;
  if (PixelSizeProblem(size)) return std::nullopt;
  return size;
}

std::wstring FormatCalibration(const Calibration& calibration) {
  return calibration.name + L", " + FormatDecimal(calibration.micronsPerPixel);
}

ParsedCalibration ParseCalibration(std::wstring_view text) {
  text = Trim(text);
  const std::size_t comma = text.rfind(L',');
  if (comma == std::wstring_view::npos)
    return {std::nullopt, Quoted(text) + L" is not a name and a pixel size, such as \"10x, 0.22\""};
  const std::wstring name(Trim(text.substr(0, comma)));
  const std::wstring_view sizeText = Trim(text.substr(comma + 1));
  if (auto problem = CalibrationNameProblem(name, CalibrationSet{})) return {std::nullopt, *problem};
  const std::optional<double> size = ParseDecimal(sizeText);
  if (!size) return {std::nullopt, Quoted(sizeText) + L" is not a number"};
  if (auto problem = PixelSizeProblem(*size)) return {std::nullopt, *problem};
  return {Calibration{name, *size}, {}};
}

std::wstring FormatCalibrationList(const CalibrationSet& set) {
  std::wstring text;
  for (const Calibration& c : set.items) text += FormatCalibration(c) + L"\n";
  return text;
}

ParsedCalibrationList ParseCalibrationList(std::wstring_view text) {
  ParsedCalibrationList list;
  CalibrationSet seen;
  int lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(L'\n', start), text.size());
    const std::wstring_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty()) continue;
    const std::wstring where = L"line " + std::to_wstring(lineNumber) + L": ";
    ParsedCalibration parsed = ParseCalibration(line);
    if (!parsed.calibration) {
      list.problems.push_back(where + parsed.problem);
    } else if (seen.IndexOf(parsed.calibration->name) >= 0) {
      list.problems.push_back(where + L"a second calibration called " + Quoted(parsed.calibration->name));
    } else if (list.items.size() >= kMaxCalibrations) {
      list.problems.push_back(where + L"more than " + std::to_wstring(kMaxCalibrations) + L" calibrations");
    } else {
      seen.items.push_back(*parsed.calibration);
      list.items.push_back(std::move(*parsed.calibration));
    }
  }
  return list;
}
