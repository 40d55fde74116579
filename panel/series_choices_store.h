#pragma once
// The "Capture series" dialog's last choices, kept per user as values of their own under the
// program's registry key (beside, never inside, the camera's "Property" record).
#include <windows.h>

#include "panel/series_choices.h"

inline constexpr wchar_t kSeriesFolderValue[] = L"SeriesFolder";      // REG_SZ
inline constexpr wchar_t kSeriesFormatValue[] = L"SeriesFormat";      // REG_SZ, the filter's extension: "PNG"
inline constexpr wchar_t kSeriesIntervalValue[] = L"SeriesInterval";  // REG_DWORD, milliseconds
inline constexpr wchar_t kSeriesCountValue[] = L"SeriesCount";        // REG_DWORD, 0: until stopped
inline constexpr wchar_t kSeriesPrefixValue[] = L"SeriesPrefix";      // REG_SZ
// A time-lapse into one AVI file (REG_DWORD, 1 or 0) and its playback rate (REG_DWORD,
// thousandths of a frame per second).
inline constexpr wchar_t kTimeLapseValue[] = L"RecordingTimeLapse";
inline constexpr wchar_t kTimeLapseRateValue[] = L"RecordingTimeLapseRate";

// The stored choices; a value that is missing or out of range gives its default (the folder's
// default is the user's Pictures folder).
SeriesChoices LoadSeriesChoices();
// Writes all seven values; the first failure's code, or ERROR_SUCCESS.
LONG StoreSeriesChoices(const SeriesChoices& choices);
