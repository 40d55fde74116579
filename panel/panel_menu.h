#pragma once
// The menu of the control panel's right button: built from a list of items, so that each
// command the panel offers there is one line where the list is made.
#include <windows.h>

#include <span>
#include <string>

#include "framework/handles.h"

// Command ids of the panel's menu (WM_COMMAND with no control).
inline constexpr UINT ID_CAPTURE_SERIES = 32801;
inline constexpr UINT ID_STOP_SERIES = 32802;

struct PanelMenuItem {
  UINT id = 0;        // 0: a separator
  std::wstring text;  // "&" marks the item's key; "\t" puts a key name at the right
  bool enabled = true;
  bool checked = false;
};

fw::UniqueMenu BuildPanelMenu(std::span<const PanelMenuItem> items);

// Shows the menu at `screenPoint`; a point of (-1, -1), as a keyboard's menu key gives, puts it
// at the owner's top-left corner. The chosen command reaches `owner` as WM_COMMAND.
void TrackPanelMenu(HWND owner, std::span<const PanelMenuItem> items, POINT screenPoint);
