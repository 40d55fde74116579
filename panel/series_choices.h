#pragma once
// The choices of the "Capture series" dialog: what its fields say, checked, and the plan a
// worker runs from them. They persist per user (panel/series_choices_store.h).
#include <optional>
#include <string>

#include "panel/capture_series.h"

inline constexpr int kMinSeriesIntervalMs = 500;
inline constexpr int kMaxSeriesIntervalMs = 24 * 60 * 60 * 1000;
inline constexpr int kMaxSeriesCount = 99999;
inline constexpr std::size_t kMaxSeriesPrefixLength = 64;
// A time-lapse's playback rate, in thousandths of a frame per second: 0.1 to 120 frames/s.
inline constexpr int kMinPlaybackMilliFps = 100;
inline constexpr int kMaxPlaybackMilliFps = 120000;

struct SeriesChoices {
  std::wstring folder;
  std::wstring extension = L"BMP";  // one of SnapshotFormats(), as the filter spells it
  int intervalMs = 1000;
  int count = 10;  // 0: until stopped
  std::wstring prefix = L"snapshot";
  bool timeLapse = false;        // one AVI file instead of a file each
  int playbackMilliFps = 10000;  // its playback rate, thousandths of a frame per second
};

// The dialog's fields as typed.
struct SeriesFields {
  std::wstring folder;
  std::wstring extension;
  std::wstring interval;  // seconds: "0.5", "2", "1,25"
  std::wstring count;
  bool untilStopped = false;
  std::wstring prefix;
  bool timeLapse = false;
  std::wstring playbackRate{};  // frames per second: "10", "2.5"
};

struct CheckedSeriesChoices {
  std::optional<SeriesChoices> choices;
  std::wstring error;  // when there are none: what to tell the user
};
// Checks every field, and that the folder exists and the longest name fits in a path.
CheckedSeriesChoices CheckSeriesFields(const SeriesFields& fields);

// 1 to 64 characters that make a file name's start: none of \ / : * ? " < > | or control
// characters, and no trailing dot or blank (Windows would drop them).
bool IsGoodSeriesPrefix(const std::wstring& prefix);
// One of the save dialog's formats, by its filter's extension ("PNG").
bool IsSnapshotExtension(const std::wstring& extension);

// Seconds with up to three decimals, "." or "," between; nullopt for anything else.
std::optional<int> ParseIntervalMs(const std::wstring& text);
// The other way: 500 gives "0.5", 2000 gives "2".
std::wstring FormatIntervalMs(int ms);

// The plan for these choices, numbered on from the files already in the folder; a time-lapse
// makes one file, prefix_0001.avi.
SeriesPlan PlanSeries(const SeriesChoices& choices);
