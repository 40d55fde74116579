#include "panel/panel_menu.h"

fw::UniqueMenu BuildPanelMenu(std::span<const PanelMenuItem> items) {
  fw::UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return menu;
  for (const PanelMenuItem& item : items) {
    if (item.id == 0) {
      ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT flags = MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED) | (item.checked ? MF_CHECKED : MF_UNCHECKED);
    ::AppendMenuW(menu.get(), flags, item.id, item.text.c_str());
  }
  return menu;
}

void TrackPanelMenu(HWND owner, std::span<const PanelMenuItem> items, POINT screenPoint) {
  const fw::UniqueMenu menu = BuildPanelMenu(items);
  if (!menu) return;
  if (screenPoint.x == -1 && screenPoint.y == -1) {
    RECT window{};
    ::GetWindowRect(owner, &window);
    screenPoint = {window.left + 8, window.top + 8};
  }
  // The menu closes when the user clicks elsewhere only if its owner is in the foreground.
  ::SetForegroundWindow(owner);
  ::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPoint.x, screenPoint.y, 0, owner,
                   nullptr);
}
