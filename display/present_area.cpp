#include "display/present_area.h"

namespace display {

std::optional<std::vector<RECT>> ChangedSincePresented(const std::optional<PresentedFrame>& last,
                                                       const PresentedFrame& now) {
  if (!last || last->viewWidth != now.viewWidth || last->viewHeight != now.viewHeight || ::IsRectEmpty(&now.picture) ||
      !::EqualRect(&last->picture, &now.picture)) {
    return std::nullopt;
  }
  std::vector<RECT> changed;
  changed.reserve(1 + now.overlays.size() + last->overlays.size());
  changed.push_back(now.picture);
  changed.insert(changed.end(), now.overlays.begin(), now.overlays.end());
  changed.insert(changed.end(), last->overlays.begin(), last->overlays.end());
  return changed;
}

}  // namespace display
