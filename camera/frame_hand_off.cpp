#include "camera/frame_hand_off.h"

#include <mutex>

#include "camera/camera.h"

void RunFrameHandOff(AppState& state, CCamera& camera, const std::atomic<bool>& stop, HANDLE wake) noexcept {
  while (!stop) {
    bool ready = false;
    bool haveBlock = false;
    std::size_t bytes = 0;
    {
      std::lock_guard bufferLock(state.frameBuffer.BufferLock());
      // Not held over the grab: a block held here could never be traded for the new frame.
      if (const auto block = state.frameBuffer.Current()) bytes = block->PixelBytes();
      haveBlock = bytes != 0;
      ready = haveBlock && camera.GrabFrame(state.frameBuffer, camera.Corrector());
      state.frameReady = ready ? 1 : 0;
    }
    if (ready) {
      // The meter numbers the frame; the renderer reports that number when it shows it.
      state.framesStored = state.live.meter.OnDelivered(FrameRateMeter::Clock::now(), bytes);
      state.redraw.Notify();
      continue;
    }
    // GrabFrame returns at once while nothing is acquired (or there is nothing to grab into);
    // without a wait this time-critical thread would take a whole core.
    if (!haveBlock) {
      if (::WaitForSingleObject(wake, CCamera::kGrabTimeoutMs) == WAIT_FAILED) ::Sleep(CCamera::kGrabTimeoutMs);
    } else if (!camera.IsAcquiring()) {
      camera.WaitUntilAcquiring(wake);
    }
  }
}

FrameHandOffThread::FrameHandOffThread(AppState& state, CCamera& camera) noexcept
    : state_(state), camera_(camera), wake_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

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
  RunFrameHandOff(owner->state_, owner->camera_, owner->stop_, owner->wake_.get());
  return 0;
}
