#pragma once
// The control panel's right-click menu: the live-information views and the measuring overlays
// with their keys, ticked while on, the calibrations, and the burn-in of saved pictures.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "state/live_info.h"
#include "state/measuring.h"

// An item without a command or text is a separator.
struct MenuItem {
  UINT commandId = 0;
  std::wstring text;
  bool checked = false;
  bool enabled = true;
};

// Menu command ids; they stay clear of the dialog's control ids.
inline constexpr UINT kMenuInfoLine = 40001;
inline constexpr UINT kMenuHistogram = 40002;
inline constexpr UINT kMenuFocusAid = 40003;
// The measuring overlays' commands.
inline constexpr UINT kMenuScaleBar = 40020;
inline constexpr UINT kMenuCrosshair = 40021;
inline constexpr UINT kMenuGrid = 40022;
inline constexpr UINT kMenuMeasuringTool = 40023;
inline constexpr UINT kMenuCalibration = 40024;
inline constexpr UINT kMenuBurnIn = 40025;

// The live-information views' items, with texts from `resources` and ticks from `live`.
std::vector<MenuItem> LiveViewMenuItems(const LiveInfo& live, HMODULE resources);
// The view a menu command switches, if it is one of those.
bool LiveViewOfCommand(UINT commandId, LiveView& view);

// A separator, then the measuring overlays with ticks from `measuring`, "Calibration…", and the
// burn-in of saved pictures.
std::vector<MenuItem> MeasureMenuItems(const Measuring& measuring, HMODULE resources);
// The choice a menu command switches, if it is one of those.
std::optional<MeasureSwitch> MeasureSwitchOfCommand(UINT commandId);

// Shows `items` as a pop-up menu at `screenPoint` for `owner`; the chosen command id, or 0.
UINT TrackContextMenu(HWND owner, POINT screenPoint, const std::vector<MenuItem>& items);
