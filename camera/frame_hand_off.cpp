#include "camera/frame_hand_off.h"

#include "camera/capture_path.h"

void RunFrameHandOff(AppState& state, CapturePath& capture, const std::atomic<bool>& stop, HANDLE wake) noexcept {
  while (!stop) {
    const bool ready = capture.GrabFrame(state.frames);
    state.frameReady = ready ? 1 : 0;
    if (ready) {
      state.redraw.Notify();
      continue;
    }
    // A grab returns at once while acquisition is off; without a wait this time-critical
    // thread would take a whole core.
    if (!capture.IsAcquiring()) capture.WaitUntilAcquiring(wake);
  }
}

FrameHandOffThread::FrameHandOffThread(AppState& state, CapturePath& capture) noexcept
    : state_(state), capture_(capture), wake_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool FrameHandOffThread::Start() noexcept {
  if (thread_) return false;
  stop_ = false;
  ::ResetEvent(wake_.get());
  thread_.reset(::CreateThread(nullptr, 0, &FrameHandOffThread::Entry, this, CREATE_SUSPENDED, nullptr));
  if (!thread_) return false;
  ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_TIME_CRITICAL);
  ::ResumeThread(thread_.get());
  return true;
}

void FrameHandOffThread::Stop() noexcept {
  if (!thread_) return;
  stop_ = true;
  ::SetEvent(wake_.get());
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

DWORD WINAPI FrameHandOffThread::Entry(LPVOID self) noexcept {
  auto* owner = static_cast<FrameHandOffThread*>(self);
  RunFrameHandOff(owner->state_, owner->capture_, owner->stop_, owner->wake_.get());
  return 0;
}
