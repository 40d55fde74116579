#include "display/full_screen.h"

#include "display/window_geometry.h"

namespace display {

void EnterFullScreen(CQ7Fullview& viewer, CFloaterDlg& video, const AppState& state, CWnd* notify) {
  video.ViewBox().StopRenderThread();
  const RECT target = ChooseFullScreenRect(state.monitorCount, state.virtualScreenWidth, state.virtualScreenHeight,
                                           video.GetWindowRect());
  viewer.MoveWindow(target, TRUE);
  viewer.SetNotifyWindow(notify);
  viewer.ShowWindow(SW_SHOW);
  viewer.StartRenderThread();
}

void LeaveFullScreen(CQ7Fullview& viewer, CFloaterDlg& video) {
  viewer.StopRenderThread();
  viewer.ShowWindow(SW_HIDE);
  video.ViewBox().StartRenderThread();
}

void ToggleFullScreen(CQ7Fullview& viewer, CFloaterDlg& video, const AppState& state, CWnd* notify) {
  if (viewer.IsWindowVisible())
    LeaveFullScreen(viewer, video);
  else
    EnterFullScreen(viewer, video, state, notify);
}

}  // namespace display
