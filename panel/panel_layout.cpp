#include "panel/panel_layout.h"

#include <algorithm>

#include "display/window_geometry.h"
#include "resources/resource_ids.h"

namespace {

constexpr RECT At(int x, int y, int cx, int cy) { return RECT{x, y, x + cx, y + cy}; }

}  // namespace

const std::array<PanelButtonLayout, kPanelButtonCount>& PanelButtons() {
  static const std::array<PanelButtonLayout, kPanelButtonCount> buttons{{
      {IDC_EXIT, IDB_EXIT_STRIP, At(256, 5, 11, 11), IDS_TIP_EXIT, true, false},
      {IDC_HIDE, IDB_HIDE_STRIP, At(243, 5, 11, 11), IDS_TIP_HIDE, true, false},
      {IDC_RESOLUTION, IDB_RESOLUTION_STRIP, At(25, 48, 108, 25), IDS_TIP_RESOLUTION, false, false},
      {IDC_IMAGE, IDB_IMAGE_STRIP, At(25, 48, 226, 25), IDS_TIP_IMAGE, false, false},
      {IDC_PLAY, IDB_PLAY_STRIP, At(29, 92, 32, 32), IDS_TIP_PLAY, false, false},
      {IDC_STOP, IDB_STOP_STRIP, At(61, 97, 26, 22), IDS_TIP_STOP, false, false},
      {IDC_SNAPSHOT, IDB_SNAPSHOT_STRIP, At(87, 97, 26, 22), IDS_TIP_SNAPSHOT, false, true},
      {IDC_ZOOM_OUT, IDB_ZOOM_OUT_STRIP, At(122, 97, 26, 22), IDS_TIP_ZOOM_OUT, false, true},
      {IDC_ZOOM_IN, IDB_ZOOM_IN_STRIP, At(148, 97, 26, 22), IDS_TIP_ZOOM_IN, false, true},
      {IDC_FULL_SCREEN, IDB_FULL_SCREEN_STRIP, At(182, 97, 26, 22), IDS_TIP_FULL_SCREEN, false, false},
      {IDC_INFORMATION, IDB_INFORMATION_STRIP, At(215, 97, 26, 22), IDS_TIP_INFORMATION, true, false},
  }};
  return buttons;
}

RECT PanelStatusRect() { return At(5, 159, 260, 14); }

PanelPlacement PlacePanelAndVideo(int virtualScreenWidth, int monitorCount, int workAreaBottom, SIZE panel,
                                  int videoWidth) {
  const int monitorWidth =
      static_cast<int>(static_cast<double>(virtualScreenWidth) / static_cast<double>(std::max(monitorCount, 1)));
  const int x = (monitorWidth - panel.cx - videoWidth) / 2;
  const int y = (workAreaBottom - panel.cy) / 2;
  return {POINT{x, y}, POINT{x + panel.cx, y}};
}

RECT PlaceAboutBox(const RECT& created, int virtualScreenWidth, int virtualScreenHeight, int monitorCount) {
  const int width = created.right - created.left;
  const int height = created.bottom - created.top;
  const double left = (virtualScreenWidth * 0.5 - width) * 0.5;
  const double top = (virtualScreenHeight - height) * 0.5;
  RECT box{static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
           static_cast<int>(top + height)};
  if (monitorCount > 1) {
    using display::ScreenHalf;
    if (display::HalfHoldingMore(created, virtualScreenWidth, virtualScreenHeight, ScreenHalf::Left) ==
        ScreenHalf::Right) {
      box.left = static_cast<int>(box.left + virtualScreenWidth * 0.5);
      box.right = static_cast<int>(box.right + virtualScreenWidth * 0.5);
    }
  }
  return box;
}
