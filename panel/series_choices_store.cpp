#include "panel/series_choices_store.h"

#include <shlobj.h>

#include <string>

#include "camera/registry_store.h"

namespace {

std::wstring ReadText(const wchar_t* name) {
  wchar_t text[MAX_PATH + 1];
  // One character short of the buffer, so the text always ends in a null.
  if (ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, text, MAX_PATH * sizeof(wchar_t)) !=
      ERROR_SUCCESS) {
    return {};
  }
  text[MAX_PATH] = L'\0';
  return text;
}

bool ReadNumber(const wchar_t* name, DWORD& number) {
  DWORD size = 0;
  return ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &number, sizeof number, &size) ==
             ERROR_SUCCESS &&
         size == sizeof number;
}

LONG WriteText(const wchar_t* name, const std::wstring& text) {
  return WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG WriteNumber(const wchar_t* name, DWORD number) {
  return WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &number, sizeof number);
}

std::wstring PicturesFolder() {
  wchar_t folder[MAX_PATH] = L"";
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return folder;
}

}  // namespace

SeriesChoices LoadSeriesChoices() {
  SeriesChoices choices;
  choices.folder = ReadText(kSeriesFolderValue);
  if (choices.folder.empty()) choices.folder = PicturesFolder();
  if (const std::wstring extension = ReadText(kSeriesFormatValue); IsSnapshotExtension(extension))
    choices.extension = extension;
  if (DWORD ms = 0;
      ReadNumber(kSeriesIntervalValue, ms) && ms >= DWORD{kMinSeriesIntervalMs} && ms <= DWORD{kMaxSeriesIntervalMs})
    choices.intervalMs = static_cast<int>(ms);
  if (DWORD count = 0; ReadNumber(kSeriesCountValue, count) && count <= DWORD{kMaxSeriesCount})
    choices.count = static_cast<int>(count);
  if (const std::wstring prefix = ReadText(kSeriesPrefixValue); IsGoodSeriesPrefix(prefix)) choices.prefix = prefix;
  if (DWORD on = 0; ReadNumber(kTimeLapseValue, on)) choices.timeLapse = on != 0;
  if (DWORD rate = 0; ReadNumber(kTimeLapseRateValue, rate) && rate >= DWORD{kMinPlaybackMilliFps} &&
                      rate <= DWORD{kMaxPlaybackMilliFps})
    choices.playbackMilliFps = static_cast<int>(rate);
  return choices;
}

LONG StoreSeriesChoices(const SeriesChoices& choices) {
  const LONG results[] = {
      WriteText(kSeriesFolderValue, choices.folder),
      WriteText(kSeriesFormatValue, choices.extension),
      WriteNumber(kSeriesIntervalValue, static_cast<DWORD>(choices.intervalMs)),
      WriteNumber(kSeriesCountValue, static_cast<DWORD>(choices.count)),
      WriteText(kSeriesPrefixValue, choices.prefix),
      WriteNumber(kTimeLapseValue, choices.timeLapse ? 1 : 0),
      WriteNumber(kTimeLapseRateValue, static_cast<DWORD>(choices.playbackMilliFps)),
  };
  for (LONG result : results) {
    if (result != ERROR_SUCCESS) return result;
  }
  return ERROR_SUCCESS;
}
