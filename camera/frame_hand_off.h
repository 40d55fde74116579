#pragma once
// The hand-off thread: brings each staged frame into the frame exchange and records the
// outcome in the frame-ready flag. The capture path owns it.
#include <windows.h>

#include <atomic>

#include "framework/handles.h"
#include "state/app_state.h"

class CapturePath;

// The hand-off loop: while `stop` is clear, one pass grabs a frame into the frame exchange
// and stores the result in state.frameReady. While acquisition is off the loop waits until
// it is on again, or until `wake` (set with `stop`) is set.
void RunFrameHandOff(AppState& state, CapturePath& capture, const std::atomic<bool>& stop, HANDLE wake) noexcept;

// Owns one hand-off thread, run at time-critical priority so a new frame reaches the screen
// at once.
class FrameHandOffThread {
 public:
  FrameHandOffThread(AppState& state, CapturePath& capture) noexcept;
  ~FrameHandOffThread() { Stop(); }
  FrameHandOffThread(const FrameHandOffThread&) = delete;
  FrameHandOffThread& operator=(const FrameHandOffThread&) = delete;

  bool Start() noexcept;  // false when it already runs or cannot be created
  void Stop() noexcept;   // sets the stop flag and waits for the thread's end
  bool IsRunning() const noexcept { return static_cast<bool>(thread_); }

 private:
  static DWORD WINAPI Entry(LPVOID self) noexcept;

  AppState& state_;       // not owned
  CapturePath& capture_;  // not owned
  std::atomic<bool> stop_{false};
  fw::UniqueKernelHandle wake_;  // manual-reset, set with stop_ to end an idle wait
  fw::UniqueKernelHandle thread_;
};
