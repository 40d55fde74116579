#include "display/drag_pan.h"

namespace display {

void DragPanner::Begin(HWND view) noexcept {
  ::SetCapture(view);
  panning_ = true;
  ::GetCursorPos(&startCursor_);
  startPan_ = {state_.panX.load(), state_.panY.load()};
}

bool DragPanner::Move(HWND view) noexcept {
  if (!panning_) return false;
  Update(view);
  return true;
}

void DragPanner::End(HWND view) noexcept {
  if (!panning_) return;  // a release without our press (it began elsewhere) changes nothing
  panning_ = false;       // first, so the capture change below is not taken for a cancel
  if (::GetCapture() == view) ::ReleaseCapture();
  Update(view);
}

void DragPanner::Update(HWND view) noexcept {
  RECT client{};
  ::GetClientRect(view, &client);
  POINT cursor{};
  ::GetCursorPos(&cursor);
  const FrameSize picture = state_.frames.Size();
  const PanOffset pan =
      ComputeDragPan(startPan_, startCursor_, cursor, picture.width, picture.height, client.right - client.left,
                     client.bottom - client.top, state_.displayScale.load());
  state_.panX.store(pan.x);
  state_.panY.store(pan.y);
  state_.redraw.Notify();
}

}  // namespace display
