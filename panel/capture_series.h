#pragma once
// Timed series of snapshots: the names of their files and when their pictures are taken.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/jpeg_encoder.h"

// What one series does; the worker runs it (panel/snapshot_worker.h).
struct SeriesPlan {
  std::wstring folder;                                 // an existing folder
  std::wstring prefix;                                 // file names are prefix_0001.ext, prefix_0002.ext, ...
  std::wstring extension;                              // without the dot, as the files get it: "png"
  int intervalMs = 1000;                               // between two pictures' times
  int count = 0;                                       // pictures to save; 0: until stopped
  int firstNumber = 1;                                 // see NextSeriesNumber
  int jpegQuality = q7::imaging::kDefaultJpegQuality;  // for a JPEG series and a time-lapse
  // A time-lapse: every picture goes into one AVI file (extension "avi"), played back at
  // `playbackFps`, instead of a file each.
  bool timeLapse = false;
  double playbackFps = 10;
};

// How a series came to its end.
// CameraGone: stopped because the camera was unplugged (its last picture would only repeat).
enum class SeriesEnd { Completed, Stopped, CameraGone, Failed };

// "shot_0001.png": the number has at least four digits, more when it needs them.
std::wstring SeriesFileName(const std::wstring& prefix, int number, const std::wstring& extension);
std::wstring SeriesFilePath(const SeriesPlan& plan, int number);

// One more than the highest number among `names` of the form prefix_<digits>.<extension>, with
// any extension and letter case, so no file of an earlier series is ever overwritten; 1 when
// there is none.
int NextSeriesNumber(const std::vector<std::wstring>& names, const std::wstring& prefix);
// The names of the files in `folder` (none when it cannot be read).
std::vector<std::wstring> FileNamesIn(const std::wstring& folder);

// The series' ticks fall every interval from its start, tick 0 at once. Each picture is taken
// within half an interval of its tick; a tick that cannot be served so (the worker was still
// writing the previous picture) is skipped and counted, so a slow format never makes the series
// fall behind or pile up frames.
struct SeriesTick {
  std::int64_t tick = 0;     // the tick to serve next
  std::int64_t skipped = 0;  // ticks given up before it
  bool takeNow = false;      // false: wait until tick * interval
};
// `nextTick` is the first tick neither served nor skipped; `elapsedMs` the time since the start.
SeriesTick ChooseSeriesTick(std::int64_t nextTick, std::int64_t elapsedMs, std::int64_t intervalMs);
