#pragma once
// Entering and leaving full screen: the control panel's Full Screen command runs
// ToggleFullScreen, and its handler of kFullViewClosedMessage runs LeaveFullScreen.
// Only one render thread draws at any time: the one that stops goes before the other starts.
#include <windows.h>

#include "display/floater_dlg.h"
#include "display/q7_fullview.h"
#include "state/app_state.h"

namespace display {

// Stops the video window's picture, covers the monitor half that holds more of the video
// window (the whole screen with one monitor), remembers `notify` (the panel) and starts
// the viewer's picture.
void EnterFullScreen(CQ7Fullview& viewer, CFloaterDlg& video, const AppState& state, CWnd* notify);
// Stops the viewer's picture, hides it and starts the video window's picture again.
void LeaveFullScreen(CQ7Fullview& viewer, CFloaterDlg& video);
// Leaves when the viewer is shown, enters otherwise.
void ToggleFullScreen(CQ7Fullview& viewer, CFloaterDlg& video, const AppState& state, CWnd* notify);

}  // namespace display
