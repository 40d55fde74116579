#include "panel/capture_series.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "framework/handles.h"

namespace {

// The number in "prefix_0012.png", or 0 when the name is not of that form.
int SeriesNumberOf(const std::wstring& name, const std::wstring& prefix) {
  const std::size_t head = prefix.size() + 1;
  if (name.size() <= head || name[prefix.size()] != L'_') return 0;
  if (::CompareStringOrdinal(name.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                             static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL) {
    return 0;
  }
  const std::size_t dot = name.find(L'.', head);
  if (dot == std::wstring::npos || dot == head || dot - head > 9) return 0;  // 9 digits fit an int
  int number = 0;
  for (std::size_t i = head; i < dot; ++i) {
    if (!std::iswdigit(name[i])) return 0;
    number = number * 10 + (name[i] - L'0');
  }
  return number;
}

}  // namespace

std::wstring SeriesFileName(const std::wstring& prefix, int number, const std::wstring& extension) {
  std::wstring digits = std::to_wstring(number);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), L'0');
  return prefix + L"_" + digits + L"." + extension;
}

std::wstring SeriesFilePath(const SeriesPlan& plan, int number) {
  std::wstring folder = plan.folder;
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder + SeriesFileName(plan.prefix, number, plan.extension);
}

int NextSeriesNumber(const std::vector<std::wstring>& names, const std::wstring& prefix) {
  int highest = 0;
  for (const std::wstring& name : names) highest = std::max(highest, SeriesNumberOf(name, prefix));
  return highest + 1;
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = folder + (folder.ends_with(L'\\') ? L"*" : L"\\*");
  const fw::UniqueFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (::FindNextFileW(search.get(), &found));
  return names;
}

SeriesTick ChooseSeriesTick(std::int64_t nextTick, std::int64_t elapsedMs, std::int64_t intervalMs) {
  if (elapsedMs < nextTick * intervalMs) return {nextTick, 0, false};
  const std::int64_t latest = elapsedMs / intervalMs;  // the last tick whose time has come
  if ((elapsedMs - latest * intervalMs) * 2 <= intervalMs) return {latest, latest - nextTick, true};
  return {latest + 1, latest + 1 - nextTick, false};
}
