#pragma once
// The control panel's right-click menu: the live-information views with their keys, ticked
// while on; the other parts of the panel add their own items (a submenu for a choice).
#include <windows.h>

#include <string>
#include <vector>

#include "state/live_info.h"

struct MenuItem {
  UINT commandId = 0;  // 0 for an item that opens `submenu`
  std::wstring text;
  bool checked = false;
  bool enabled = true;
  std::vector<MenuItem> submenu = {};
};

// Menu command ids; they stay clear of the dialog's control ids.
inline constexpr UINT kMenuInfoLine = 40001;
inline constexpr UINT kMenuHistogram = 40002;
inline constexpr UINT kMenuFocusAid = 40003;

// The live-information views' items, with texts from `resources` and ticks from `live`.
std::vector<MenuItem> LiveViewMenuItems(const LiveInfo& live, HMODULE resources);
// The view a menu command switches, if it is one of those.
bool LiveViewOfCommand(UINT commandId, LiveView& view);

// Shows `items` as a pop-up menu at `screenPoint` for `owner`; the chosen command id, or 0.
UINT TrackContextMenu(HWND owner, POINT screenPoint, const std::vector<MenuItem>& items);
