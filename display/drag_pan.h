#pragma once
// Drag panning, as both picture views do it with one mouse button: the press captures the
// mouse and records where the drag began, each move sets the pan offset so the picture
// follows the cursor, the release (or losing the capture) ends it.
#include <windows.h>

#include "display/render_geometry.h"
#include "state/app_state.h"

namespace display {

class DragPanner {
 public:
  explicit DragPanner(AppState& state) noexcept : state_(state) {}

  void Begin(HWND view) noexcept;
  // Pans while a drag is under way; returns whether one is.
  bool Move(HWND view) noexcept;
  // The release: one last update at the release point, then the capture goes.
  void End(HWND view) noexcept;
  // The capture went elsewhere: stop without a last update.
  void Cancel() noexcept { panning_ = false; }
  bool IsPanning() const noexcept { return panning_; }

 private:
  void Update(HWND view) noexcept;

  AppState& state_;
  bool panning_ = false;
  POINT startCursor_{};  // screen coordinates
  PanOffset startPan_{};
};

}  // namespace display
