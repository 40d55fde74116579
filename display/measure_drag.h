#pragma once
// Measuring by dragging, as both picture views do it with the left button while the measuring
// tool is on: the press on the picture starts a line on the sensor, each move takes its end
// along (held to the picture), the release keeps it; a press and release on the same spot
// (a click) and a lost capture keep nothing.
#include <windows.h>

#include "display/picture_point.h"
#include "state/app_state.h"

namespace display {

class MeasureDragger {
 public:
  explicit MeasureDragger(AppState& state) noexcept : state_(state) {}

  // A press at `viewPoint` (client coordinates of `view`): starts a line when the measuring
  // tool is on and the point shows the picture; returns whether it did.
  bool Begin(HWND view, POINT viewPoint);
  // Takes the line's end along while a drag is under way; returns whether one is.
  bool Move(HWND view, POINT viewPoint);
  // The release: the line is kept unless the pointer never went anywhere.
  bool End(HWND view, POINT viewPoint);
  // The capture went elsewhere: the line being drawn goes.
  void Cancel();
  bool IsMeasuring() const noexcept { return measuring_; }

 private:
  // How the view lies over the sensor now, as the render thread draws it.
  ViewPlacement Placement(HWND view) const;
  PointD SensorPointAt(HWND view, POINT viewPoint) const;

  AppState& state_;  // not owned
  bool measuring_ = false;
  POINT start_{};  // the press, in view coordinates
};

}  // namespace display
