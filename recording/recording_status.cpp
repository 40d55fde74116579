#include "recording/recording_status.h"

#include <cmath>
#include <cstdio>

#include "framework/system_message.h"
#include "state/recording_state.h"

namespace q7::recording {
namespace {

// 1234567 gives "1,234,567".
std::wstring Grouped(std::uint64_t value) {
  std::wstring digits = std::to_wstring(value);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, L',');
  return digits;
}

}  // namespace

std::wstring FormatRecordingStatus(double elapsedSeconds, std::uint64_t frames, std::uint64_t dropped,
                                   std::uint64_t bytes) {
  const auto megabytes = static_cast<std::uint64_t>(std::llround(static_cast<double>(bytes) / 1e6));
  return L"Recording " + FormatRecordingClock(elapsedSeconds) + L" \u00B7 " + Grouped(frames) + L" frames \u00B7 " +
         Grouped(dropped) + L" dropped \u00B7 " + Grouped(megabytes) + L" MB";
}

std::wstring FormatRecordingStatus(const RecordingStatus& status) {
  return FormatRecordingStatus(status.elapsedSeconds, status.frames, status.dropped, status.bytes);
}

std::wstring RecordingEndText(const RecordingStatus& status) {
  std::wstring why;
  switch (status.end) {
    case RecordingEnd::SizeChanged: why = L"the picture size changed."; break;
    case RecordingEnd::CameraGone: why = L"the camera is gone."; break;
    case RecordingEnd::WriteFailed: why = SystemMessage(static_cast<DWORD>(status.error)); break;
    case RecordingEnd::None:
    case RecordingEnd::Stopped: return {};
  }
  if (status.frames == 0 && status.dropped == 0)
    return L"The recording stopped: " + why + L"\nNothing was recorded into \"" + status.path + L"\".";
  return L"The recording stopped: " + why + L"\nWhat was recorded until then is saved in \"" + status.path + L"\".";
}

}  // namespace q7::recording
