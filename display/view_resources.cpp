#include "display/view_resources.h"

#include "resources/resource_ids.h"

namespace display {

BOOL ShowOpenHandCursor(const AppState& state, UINT hitTest) noexcept {
  if (hitTest != HTCLIENT) return FALSE;
  // Shared cursors: the system keeps them, nothing to destroy. The measuring tool aims.
  HCURSOR hand = state.measuring.measuringTool.load()
                     ? ::LoadCursorW(nullptr, IDC_CROSS)
                     : ::LoadCursorW(ViewResourceModule(state), MAKEINTRESOURCEW(IDC_OPEN_HAND));
  if (!hand) return FALSE;
  ::SetCursor(hand);
  return TRUE;
}

}  // namespace display
