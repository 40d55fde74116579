#include "panel/context_menu.h"

#include "framework/handles.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"

std::vector<MenuItem> LiveViewMenuItems(const LiveInfo& live, HMODULE resources) {
  return {{kMenuInfoLine, LoadResourceString(IDS_MENU_INFO_LINE, resources), live.showInfoLine.load()},
          {kMenuHistogram, LoadResourceString(IDS_MENU_HISTOGRAM, resources), live.showHistogram.load()},
          {kMenuFocusAid, LoadResourceString(IDS_MENU_FOCUS_AID, resources), live.showFocus.load()}};
}

bool LiveViewOfCommand(UINT commandId, LiveView& view) {
  switch (commandId) {
    case kMenuInfoLine: view = LiveView::InfoLine; return true;
    case kMenuHistogram: view = LiveView::Histogram; return true;
    case kMenuFocusAid: view = LiveView::Focus; return true;
    default: return false;
  }
}

std::vector<MenuItem> MeasureMenuItems(const Measuring& measuring, HMODULE resources) {
  const auto item = [&](UINT command, UINT text, MeasureSwitch which) {
    return MenuItem{command, LoadResourceString(text, resources), IsMeasureSwitchOn(measuring, which)};
  };
  return {MenuItem{},
          item(kMenuScaleBar, IDS_MENU_SCALE_BAR, MeasureSwitch::ScaleBar),
          item(kMenuCrosshair, IDS_MENU_CROSSHAIR, MeasureSwitch::Crosshair),
          item(kMenuGrid, IDS_MENU_GRID, MeasureSwitch::Grid),
          item(kMenuMeasuringTool, IDS_MENU_MEASURING_TOOL, MeasureSwitch::MeasuringTool),
          {kMenuCalibration, LoadResourceString(IDS_MENU_CALIBRATION, resources)},
          item(kMenuBurnIn, IDS_MENU_BURN_IN, MeasureSwitch::BurnIn),
          MenuItem{}};
}

std::optional<MeasureSwitch> MeasureSwitchOfCommand(UINT commandId) {
  switch (commandId) {
    case kMenuScaleBar: return MeasureSwitch::ScaleBar;
    case kMenuCrosshair: return MeasureSwitch::Crosshair;
    case kMenuGrid: return MeasureSwitch::Grid;
    case kMenuMeasuringTool: return MeasureSwitch::MeasuringTool;
    case kMenuBurnIn: return MeasureSwitch::BurnIn;
    default: return std::nullopt;
  }
}

UINT TrackContextMenu(HWND owner, POINT screenPoint, const std::vector<MenuItem>& items) {
  fw::UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return 0;
  for (const MenuItem& item : items) {
    if (item.commandId == 0 && item.text.empty()) {
      ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item.checked) flags |= MF_CHECKED;
    if (!item.enabled) flags |= MF_GRAYED;
    ::AppendMenuW(menu.get(), flags, item.commandId, item.text.c_str());
  }
  // The owner must be in front, or the menu does not close when the user clicks elsewhere.
  ::SetForegroundWindow(owner);
  const UINT chosen = static_cast<UINT>(
      ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0, owner, nullptr));
  ::PostMessageW(owner, WM_NULL, 0, 0);
  return chosen;
}
