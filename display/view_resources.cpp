#include "display/view_resources.h"

#include "resources/resource_ids.h"

namespace display {

BOOL ShowOpenHandCursor(const AppState& state, UINT hitTest) noexcept {
  if (hitTest != HTCLIENT) return FALSE;
  // A shared resource cursor: the system keeps it, nothing to destroy.
  HCURSOR hand = ::LoadCursorW(ViewResourceModule(state), MAKEINTRESOURCEW(IDC_OPEN_HAND));
  if (!hand) return FALSE;
  ::SetCursor(hand);
  return TRUE;
}

}  // namespace display
