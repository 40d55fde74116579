#include "panel/series_choices.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "framework/file_dialog.h"
#include "panel/snapshot.h"

namespace {

constexpr wchar_t kForbiddenInNames[] = L"\\/:*?\"<>|";

std::wstring Trimmed(const std::wstring& text) {
  const auto first = std::find_if_not(text.begin(), text.end(), [](wchar_t c) { return std::iswspace(c); });
  const auto last = std::find_if_not(text.rbegin(), text.rend(), [](wchar_t c) { return std::iswspace(c); });
  return first < last.base() ? std::wstring(first, last.base()) : std::wstring();
}

bool FolderExists(const std::wstring& folder) {
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<int> ParseCount(const std::wstring& text) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), ::iswdigit)) return std::nullopt;
  const int count = std::stoi(text);
  return count >= 1 ? std::optional<int>(count) : std::nullopt;
}

}  // namespace

bool IsSnapshotExtension(const std::wstring& extension) {
  const auto formats = SnapshotFormats();
  return std::any_of(formats.begin(), formats.end(), [&](const SnapshotFormat& f) { return f.extension == extension; });
}

bool IsGoodSeriesPrefix(const std::wstring& prefix) {
  if (prefix.empty() || prefix.size() > kMaxSeriesPrefixLength) return false;
  if (prefix.back() == L'.' || prefix.back() == L' ') return false;
  return std::none_of(prefix.begin(), prefix.end(),
                      [](wchar_t c) { return c < 32 || std::wcschr(kForbiddenInNames, c) != nullptr; });
}

std::optional<int> ParseIntervalMs(const std::wstring& text) {
  const std::wstring t = Trimmed(text);
  const std::size_t separator = t.find_first_of(L".,");
  const std::wstring whole = t.substr(0, separator);
  const std::wstring fraction = separator == std::wstring::npos ? L"" : t.substr(separator + 1);
  const auto digitsOnly = [](const std::wstring& s) { return std::all_of(s.begin(), s.end(), ::iswdigit); };
  if (whole.size() + fraction.size() == 0 || whole.size() > 5 || fraction.size() > 3 || !digitsOnly(whole) ||
      !digitsOnly(fraction)) {
    return std::nullopt;
  }
  int ms = whole.empty() ? 0 : std::stoi(whole) * 1000;
  int scale = 100;
  for (wchar_t digit : fraction) {
    ms += (digit - L'0') * scale;
    scale /= 10;
  }
  return ms;
}

std::wstring FormatIntervalMs(int ms) {
  std::wstring text = std::to_wstring(ms / 1000);
  if (int fraction = ms % 1000; fraction != 0) {
    std::wstring digits = std::to_wstring(fraction + 1000).substr(1);
    while (digits.back() == L'0') digits.pop_back();
    text += L"." + digits;
  }
  return text;
}

CheckedSeriesChoices CheckSeriesFields(const SeriesFields& fields) {
  SeriesChoices choices;
  choices.folder = Trimmed(fields.folder);
  while (choices.folder.size() > 3 && (choices.folder.back() == L'\\' || choices.folder.back() == L'/'))
    choices.folder.pop_back();
  if (choices.folder.empty() || !FolderExists(choices.folder))
    return {std::nullopt, L"Choose a folder that exists for the series' files."};
  if (fields.timeLapse) {
    // The same notation as the interval: seconds there, frames per second here.
    const std::optional<int> rate = ParseIntervalMs(fields.playbackRate);
    if (!rate || *rate < kMinPlaybackMilliFps || *rate > kMaxPlaybackMilliFps)
      return {std::nullopt, L"The time-lapse plays at 0.1 to 120 frames per second."};
    choices.timeLapse = true;
    choices.playbackMilliFps = *rate;
  }
  if (!IsSnapshotExtension(fields.extension)) return {std::nullopt, L"Choose one of the offered file formats."};
  choices.extension = fields.extension;
  const std::optional<int> interval = ParseIntervalMs(fields.interval);
  if (!interval || *interval < kMinSeriesIntervalMs || *interval > kMaxSeriesIntervalMs)
    return {std::nullopt, L"The interval is a number of seconds from 0.5 up to 86400."};
  choices.intervalMs = *interval;
  if (fields.untilStopped) {
    choices.count = 0;
  } else {
    const std::optional<int> count = ParseCount(Trimmed(fields.count));
    if (!count) return {std::nullopt, L"The count is a whole number from 1 to 99999, or choose \"Until stopped\"."};
    choices.count = *count;
  }
  choices.prefix = Trimmed(fields.prefix);
  if (!IsGoodSeriesPrefix(choices.prefix)) {
    return {std::nullopt,
            L"The name prefix needs 1 to 64 characters, none of \\ / : * ? \" < > |, and must not end "
            L"in a dot."};
  }
  // The longest name the series can make: a five-digit number and the longest extension.
  SeriesPlan longest{choices.folder, choices.prefix, L"wbmp"};
  const std::size_t length = SeriesFilePath(longest, kMaxSeriesCount).size();
  if (length > kMaxFullPathLength) return {std::nullopt, PathTooLongMessage(length)};
  return {choices, {}};
}

SeriesPlan PlanSeries(const SeriesChoices& choices) {
  SeriesPlan plan{choices.folder, choices.prefix, choices.extension, choices.intervalMs, choices.count};
  if (choices.timeLapse) {
    plan.timeLapse = true;
    plan.extension = L"avi";
    plan.playbackFps = choices.playbackMilliFps / 1000.0;
  }
  std::transform(plan.extension.begin(), plan.extension.end(), plan.extension.begin(), ::towlower);
  plan.firstNumber = NextSeriesNumber(FileNamesIn(plan.folder), plan.prefix);
  return plan;
}
