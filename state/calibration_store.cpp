#include "state/calibration_store.h"

#include <windows.h>

#include <optional>
#include <vector>

#include "framework/handles.h"
#include "framework/registry_value.h"
#include "state/settings_key.h"

namespace {

// Longer than any list a person makes; a larger value is damage, not calibrations.
constexpr DWORD kLargestValueBytes = 64 * 1024;
constexpr std::size_t kProblemsShown = 5;

struct TextValue {
  std::optional<std::wstring> text;  // absent: nothing stored
  std::wstring problem;              // stored, but not text this program wrote
};

TextValue ReadText(const wchar_t* valueName) {
  fw::UniqueRegistryKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return {};
  DWORD type = 0, bytes = 0;
  const LONG sized = ::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &bytes);
  if (sized == ERROR_FILE_NOT_FOUND) return {};
  const std::wstring where = std::wstring(L"the value \"") + valueName + L"\" ";
  if (sized != ERROR_SUCCESS) return {std::nullopt, where + L"cannot be read"};
  if (type != REG_SZ) return {std::nullopt, where + L"is not text"};
  if (bytes > kLargestValueBytes) return {std::nullopt, where + L"is far too long"};
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
  if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
      ERROR_SUCCESS)
    return {std::nullopt, where + L"cannot be read"};
  std::wstring text(buffer.data(), bytes / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();  // stored with or without its terminator
  return {std::move(text), {}};
}

bool WriteText(const wchar_t* valueName, const std::wstring& text) {
  return WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, valueName, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring Message(const std::vector<std::wstring>& problems) {
  std::wstring text = L"Some stored calibrations could not be read:\n";
  for (std::size_t i = 0; i < problems.size() && i < kProblemsShown; ++i) text += L"    " + problems[i] + L"\n";
  if (problems.size() > kProblemsShown)
    text += L"    and " + std::to_wstring(problems.size() - kProblemsShown) + L" more\n";
  text += L"They were left out; the calibrations that could be read are kept.";
  return text;
}

}  // namespace

StoredCalibrations ReadStoredCalibrations() {
  StoredCalibrations stored;
  std::vector<std::wstring> problems;
  const TextValue list = ReadText(kCalibrationListValue);
  if (!list.problem.empty()) problems.push_back(list.problem);
  if (list.text) {
    ParsedCalibrationList parsed = ParseCalibrationList(*list.text);
    stored.set.items = std::move(parsed.items);
    for (std::wstring& p : parsed.problems) problems.push_back(std::wstring(kCalibrationListValue) + L", " + p);
  }
  const TextValue inUse = ReadText(kCalibrationInUseValue);
  if (!inUse.problem.empty()) problems.push_back(inUse.problem);
  if (inUse.text && !inUse.text->empty()) {
    if (const int index = stored.set.IndexOf(*inUse.text); index >= 0)
      stored.set.inUse = stored.set.items[static_cast<std::size_t>(index)].name;
    else
      problems.push_back(L"the calibration in use, \"" + inUse.text->substr(0, 40) + L"\", is not in the list");
  }
  if (!problems.empty()) stored.problem = Message(problems);
  return stored;
}

bool StoreCalibrations(const CalibrationSet& set) {
  const bool list = WriteText(kCalibrationListValue, FormatCalibrationList(set));
  const Calibration* inUse = set.InUse();
  return WriteText(kCalibrationInUseValue, inUse ? inUse->name : std::wstring()) && list;
}

std::wstring LoadCalibrations(CalibrationBook& book) {
  StoredCalibrations stored = ReadStoredCalibrations();
  if (!stored.problem.empty()) StoreCalibrations(stored.set);
  book.Set(std::move(stored.set));
  return stored.problem;
}

void SaveCalibrations(CalibrationBook& book, CalibrationSet set) {
  StoreCalibrations(set);
  book.Set(std::move(set));
}
