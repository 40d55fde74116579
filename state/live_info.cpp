#include "state/live_info.h"

#include <windows.h>

#include "state/stored_switch.h"

namespace {

// Values of their own under the program's key, never inside the camera's settings record.
const wchar_t* ValueName(LiveView view) {
  switch (view) {
    case LiveView::InfoLine: return L"ShowInformationLine";
    case LiveView::Histogram: return L"ShowHistogram";
    case LiveView::Focus: return L"ShowFocusAid";
  }
  return L"";
}

template <class Info>  // LiveInfo, const or not
auto& Flag(Info& info, LiveView view) {
  switch (view) {
    case LiveView::InfoLine: return info.showInfoLine;
    case LiveView::Histogram: return info.showHistogram;
    case LiveView::Focus: break;
  }
  return info.showFocus;
}

}  // namespace

bool IsLiveViewOn(const LiveInfo& info, LiveView view) { return Flag(info, view).load(); }

bool ToggleLiveView(LiveInfo& info, LiveView view) {
  const bool on = !Flag(info, view).load();
  if (on && view == LiveView::Focus) ++info.focusSession;
  Flag(info, view).store(on);
  StoreSwitch(ValueName(view), on);
  return on;
}

void LoadLiveViewChoices(LiveInfo& info) {
  for (const LiveView view : {LiveView::InfoLine, LiveView::Histogram, LiveView::Focus})
    Flag(info, view).store(LoadSwitch(ValueName(view)));
}
