#pragma once
// The hand-off thread: brings each new image from the camera's staging buffer into the
// frame buffer and records the outcome in the frame-ready flag. The camera session owns it.
#include <windows.h>

#include <atomic>

#include "framework/handles.h"
#include "state/app_state.h"

class CCamera;

// The hand-off loop: while `stop` is clear, one pass holds the buffer lock, grabs into the
// current frame block and stores the result in state.frameReady. While the camera is not
// acquiring, the loop waits until it is, or until `wake` (set with `stop`) is set.
void RunFrameHandOff(AppState& state, CCamera& camera, const std::atomic<bool>& stop, HANDLE wake) noexcept;

// Owns one hand-off thread, run at time-critical priority so a new image reaches the frame
// buffer at once.
class FrameHandOffThread {
 public:
  FrameHandOffThread(AppState& state, CCamera& camera) noexcept;
  ~FrameHandOffThread() { Stop(); }
  FrameHandOffThread(const FrameHandOffThread&) = delete;
  FrameHandOffThread& operator=(const FrameHandOffThread&) = delete;

  bool Start() noexcept;  // false when it already runs or cannot be created
  void Stop() noexcept;   // sets the stop flag and waits for the thread's end
  bool IsRunning() const noexcept { return static_cast<bool>(thread_); }

 private:
  static DWORD WINAPI Entry(LPVOID self) noexcept;

  AppState& state_;  // not owned
  CCamera& camera_;  // not owned
  std::atomic<bool> stop_{false};
  fw::UniqueKernelHandle wake_;  // manual-reset, set with stop_ to end an idle wait
  fw::UniqueKernelHandle thread_;
};
