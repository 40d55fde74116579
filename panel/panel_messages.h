#pragma once
// Every message and timer the control panel receives from its own parts, its threads and the
// picture views, in one list: a number given twice would hand one part's news to another.
#include <windows.h>

#include <array>

#include "display/q7_fullview.h"

// The full-screen viewer sends this to the panel when it closes itself.
inline constexpr UINT WM_LEAVE_FULL_SCREEN = display::kFullViewClosedMessage;
// Re-fits the frame buffer to the camera's resolution. A registered message, so that no
// dialog message shares its number (WM_USER + 1 is DM_SETDEFID: setting the panel's default
// button would refit the frame buffer and blank the picture) and no message of this program
// either; another program gets the same number by registering the same name.
UINT RefitFrameBufferMessage() noexcept;

// Posted by the initialisation thread, so it never waits for the panel's thread.
inline constexpr UINT WM_PANEL_STATUS = WM_APP + 1;   // wParam: string id
inline constexpr UINT WM_CAMERA_OPENED = WM_APP + 2;  // wParam: 1 when the camera is ready
// Posted by the camera's notice board (framework/notice_board.h) when it holds boxes to show.
inline constexpr UINT WM_CAMERA_NOTICE = WM_APP + 3;
// Posted by the camera's link watcher; wParam: a CameraLinkEvent.
inline constexpr UINT WM_CAMERA_LINK = WM_APP + 4;
// Posted by the panel to itself: shows the start-up notice over the shown panel.
inline constexpr UINT WM_START_NOTICE = WM_APP + 5;
// The snapshot worker's: wParam the percent of the snapshot being written; news to take.
inline constexpr UINT WM_SNAPSHOT_PROGRESS = WM_APP + 20;
inline constexpr UINT WM_SNAPSHOT_REPORT = WM_APP + 21;
// The picture correction has news: progress of a take, a take done or refused, a file loaded.
inline constexpr UINT WM_CORRECTION_NEWS = WM_APP + 30;
// Posted by the recorder's thread when a recording has ended and its file is closed.
inline constexpr UINT WM_RECORDING_ENDED = WM_APP + 31;

// The panel's timers: one id each, or one part's SetTimer and KillTimer would take another's.
inline constexpr UINT_PTR kSnapshotIndicatorTimer = 0x5107;  // redraws the saving text
inline constexpr UINT_PTR kPictureWatchTimer = 0x5108;       // looks for a black picture
inline constexpr UINT_PTR kRecordingStatusTimer = 0x5109;    // shows the recording's counts

namespace panel_messages {
inline constexpr std::array kAll{WM_LEAVE_FULL_SCREEN, WM_PANEL_STATUS,   WM_CAMERA_OPENED,     WM_CAMERA_NOTICE,
                                 WM_CAMERA_LINK,       WM_START_NOTICE,   WM_SNAPSHOT_PROGRESS, WM_SNAPSHOT_REPORT,
                                 WM_CORRECTION_NEWS,   WM_RECORDING_ENDED};
inline constexpr std::array kTimers{kSnapshotIndicatorTimer, kPictureWatchTimer, kRecordingStatusTimer};
template <typename T, std::size_t N>
constexpr bool AllDistinct(const std::array<T, N>& values) {
  for (std::size_t i = 0; i < N; ++i)
    for (std::size_t j = i + 1; j < N; ++j)
      if (values[i] == values[j]) return false;
  return true;
}
static_assert(AllDistinct(kAll), "two of the panel's messages share a number");
static_assert(AllDistinct(kTimers), "two of the panel's timers share an id");
// The panel is a dialog: WM_USER + 0 to + 2 are its DM_ messages.
constexpr bool NoneIsADialogMessage() {
  for (const UINT message : kAll)
    if (message == DM_GETDEFID || message == DM_SETDEFID || message == DM_REPOSITION) return false;
  return true;
}
static_assert(NoneIsADialogMessage(), "a panel message shares its number with a dialog message");
}  // namespace panel_messages
