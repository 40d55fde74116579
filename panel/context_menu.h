#pragma once
// The control panel's right-click menu: its items and the pop-up that shows them.
#include <windows.h>

#include <string>
#include <vector>

struct MenuItem {
  UINT commandId = 0;
  std::wstring text;
  bool checked = false;
  bool enabled = true;
};

// Shows `items` as a pop-up menu at `screenPoint` for `owner`; the chosen command id, or 0.
UINT TrackContextMenu(HWND owner, POINT screenPoint, const std::vector<MenuItem>& items);
