#include "panel/context_menu.h"

#include "framework/handles.h"

UINT TrackContextMenu(HWND owner, POINT screenPoint, const std::vector<MenuItem>& items) {
  fw::UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return 0;
  for (const MenuItem& item : items) {
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
