#pragma once
// Wakes the render thread of the shown picture view when something it draws has changed: a
// new frame, the zoom, the pan offset, the view's size. The render thread waits on it instead
// of polling; one thread draws at a time, so one auto-reset event serves.
#include <windows.h>

#include "framework/handles.h"

class RedrawSignal {
 public:
  RedrawSignal() noexcept : event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

  void Notify() const noexcept {
    if (event_) ::SetEvent(event_.get());
  }
  // The waitable handle (auto-reset); null only when the system had no event to give.
  HANDLE Handle() const noexcept { return event_.get(); }

 private:
  fw::UniqueKernelHandle event_;
};
