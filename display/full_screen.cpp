#include "display/full_screen.h"

#include "display/view_resources.h"
#include "display/window_geometry.h"
#include "resources/resource_ids.h"

namespace display {
namespace {
constexpr DWORD kLeaveHintMs = 3000;
}  // namespace

void EnterFullScreen(CQ7Fullview& viewer, CFloaterDlg& video, const AppState& state, CWnd* notify) {
  video.ViewBox().StopRenderThread();
  const RECT target = ChooseFullScreenRect(state.monitorCount, state.virtualScreenWidth, state.virtualScreenHeight,
                                           video.GetWindowRect());
  viewer.MoveWindow(target, TRUE);
  viewer.SetNotifyWindow(notify);
  viewer.ShowWindow(SW_SHOW);
  viewer.StartRenderThread();
  // On one monitor the viewer covers the panel and its button: say how to get out.
  viewer.ShowHint(LoadResourceString(IDS_HINT_LEAVE_FULL_SCREEN, ViewResourceModule(state)), kLeaveHintMs);
}

void LeaveFullScreen(CQ7Fullview& viewer, CFloaterDlg& video) {
  viewer.StopRenderThread();
  viewer.ShowWindow(SW_HIDE);
  video.RaisePanel();
  video.ViewBox().StartRenderThread();
}

void ToggleFullScreen(CQ7Fullview& viewer, CFloaterDlg& video, const AppState& state, CWnd* notify) {
  if (viewer.IsWindowVisible())
    LeaveFullScreen(viewer, video);
  else
    EnterFullScreen(viewer, video, state, notify);
}

}  // namespace display
