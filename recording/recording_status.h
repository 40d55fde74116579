#pragma once
// What a recording reports while it runs and when it ends, and the texts the user reads.
#include <windows.h>

#include <cstdint>
#include <string>

namespace q7::recording {

enum class RecordingEnd {
  None,         // still recording
  Stopped,      // by the user
  SizeChanged,  // the picture's size changed (a re-fit)
  CameraGone,   // the camera was closed or unplugged
  WriteFailed,  // the disk is full, the folder went away, ...
};

struct RecordingStatus {
  bool recording = false;
  double elapsedSeconds = 0;
  std::uint64_t frames = 0;    // pictures in the file
  std::uint64_t dropped = 0;   // frames not kept up with, in the file as repeats
  std::uint64_t bytes = 0;     // every file of the recording
  double framesPerSecond = 0;  // pictures recorded per second, lately
  std::wstring path;           // the file written last
  RecordingEnd end = RecordingEnd::None;
  HRESULT error = S_OK;  // with WriteFailed, or a failed start
};

// "Recording 00:01:23 · 1,234 frames · 0 dropped · 812 MB" (10^6 bytes a megabyte).
std::wstring FormatRecordingStatus(double elapsedSeconds, std::uint64_t frames, std::uint64_t dropped,
                                   std::uint64_t bytes);
std::wstring FormatRecordingStatus(const RecordingStatus& status);

// What to tell the user when the recording ended without being asked to: why, and where
// the file is. Empty for a recording still running or stopped by the user.
std::wstring RecordingEndText(const RecordingStatus& status);

}  // namespace q7::recording
