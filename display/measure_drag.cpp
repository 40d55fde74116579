#include "display/measure_drag.h"

#include <cstdlib>

namespace display {
namespace {

// A release this close to the press is a click, not a line.
constexpr int kClickSlop = 2;

}  // namespace

ViewPlacement MeasureDragger::Placement(HWND view) const {
  RECT client{};
  ::GetClientRect(view, &client);
  const FrameSize picture = state_.frames.Size();
  return PlaceView(client.right - client.left, client.bottom - client.top, picture.width, picture.height,
                   state_.displayScale.load(), {state_.panX.load(), state_.panY.load()},
                   SensorPlacementOf(state_.live));
}

PointD MeasureDragger::SensorPointAt(HWND view, POINT viewPoint) const {
  const ViewPlacement placement = Placement(view);
  // The pointer's pixel stands for its centre.
  return ClampToPicture(placement, ViewToSensor(placement, {viewPoint.x + 0.5, viewPoint.y + 0.5}));
}

bool MeasureDragger::Begin(HWND view, POINT viewPoint) {
  if (!state_.measuring.measuringTool.load()) return false;
  const ViewPlacement placement = Placement(view);
  if (ViewPixelsPerPixel(placement) <= 0) return false;
  const PointD sensor = ViewToSensor(placement, {viewPoint.x + 0.5, viewPoint.y + 0.5});
  if (!OnPicture(placement, sensor)) return false;
  ::SetCapture(view);
  measuring_ = true;
  start_ = viewPoint;
  state_.measuring.measurements.Begin(sensor);
  state_.redraw.Notify();
  return true;
}

bool MeasureDragger::Move(HWND view, POINT viewPoint) {
  if (!measuring_) return false;
  state_.measuring.measurements.Extend(SensorPointAt(view, viewPoint));
  state_.redraw.Notify();
  return true;
}

bool MeasureDragger::End(HWND view, POINT viewPoint) {
  if (!measuring_) return false;
  measuring_ = false;  // first, so the capture change below is not taken for a cancel
  if (::GetCapture() == view) ::ReleaseCapture();
  const bool moved = std::abs(viewPoint.x - start_.x) > kClickSlop || std::abs(viewPoint.y - start_.y) > kClickSlop;
  if (moved) state_.measuring.measurements.Extend(SensorPointAt(view, viewPoint));
  state_.measuring.measurements.Finish(moved);
  state_.redraw.Notify();
  return true;
}

void MeasureDragger::Cancel() {
  if (!measuring_) return;
  measuring_ = false;
  state_.measuring.measurements.Finish(false);
  state_.redraw.Notify();
}

}  // namespace display
