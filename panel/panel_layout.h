#pragma once
// The control panel's fixed layout and the arithmetic of its placement and zoom steps.
#include <windows.h>

#include <array>

struct PanelButtonLayout {
  int controlId;
  int stripBitmapId;
  RECT rect;  // client coordinates: left, top, right, bottom
  int tooltipId;
  bool enabledAtStart;
  bool everyClickCounts;  // a quick second click acts again (zoom steps, snapshots)
};

inline constexpr std::size_t kPanelButtonCount = 11;
// The buttons in the order the panel sets them up.
const std::array<PanelButtonLayout, kPanelButtonCount>& PanelButtons();
// The status line's rectangle in client coordinates.
RECT PanelStatusRect();

struct PanelPlacement {
  POINT panel;
  POINT video;
};

// The panel and the video window side by side, tops aligned, centred horizontally on the
// first monitor's share of the virtual screen and vertically in the work area.
PanelPlacement PlacePanelAndVideo(int virtualScreenWidth, int monitorCount, int workAreaBottom, SIZE panel,
                                  int videoWidth);

// The About box's rectangle: centred vertically, and horizontally in the left half of the
// virtual screen, or the right half when that holds more of the box as created.
RECT PlaceAboutBox(const RECT& created, int virtualScreenWidth, int virtualScreenHeight, int monitorCount);
