#pragma once
// Every message the control panel receives from its own parts, its threads and the picture
// views, in one list: a number given twice would hand one part's news to another.
#include <windows.h>

#include <array>

#include "display/q7_fullview.h"

// The full-screen viewer sends this to the panel when it closes itself.
inline constexpr UINT WM_LEAVE_FULL_SCREEN = display::kFullViewClosedMessage;
// Re-fits the frame buffer to the camera's resolution. Its number is part of the program's
// message contract (other programs may send it), so it stays WM_USER + 1.
inline constexpr UINT WM_REFIT_FRAME_BUFFER = WM_USER + 1;

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

namespace panel_messages {
inline constexpr std::array kAll{WM_LEAVE_FULL_SCREEN, WM_REFIT_FRAME_BUFFER, WM_PANEL_STATUS,   WM_CAMERA_OPENED,
                                 WM_CAMERA_NOTICE,     WM_CAMERA_LINK,        WM_START_NOTICE,   WM_SNAPSHOT_PROGRESS,
                                 WM_SNAPSHOT_REPORT,   WM_CORRECTION_NEWS,    WM_RECORDING_ENDED};
constexpr bool AllDistinct() {
  for (std::size_t i = 0; i < kAll.size(); ++i)
    for (std::size_t j = i + 1; j < kAll.size(); ++j)
      if (kAll[i] == kAll[j]) return false;
  return true;
}
static_assert(AllDistinct(), "two of the panel's messages share a number");
}  // namespace panel_messages
