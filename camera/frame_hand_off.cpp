#include "camera/frame_hand_off.h"

#include <mutex>

#include "camera/camera.h"

namespace {
constexpr DWORD kIdlePauseMs = 10;
}  // namespace

void RunFrameHandOff(AppState& state, CCamera& camera, const std::atomic<bool>& stop) noexcept {
  while (!stop) {
    bool ready = false;
    bool idle = false;
    std::size_t bytes = 0;
    {
      std::lock_guard bufferLock(state.frameBuffer.BufferLock());
      const auto block = state.frameBuffer.Current();
      idle = !block || !camera.IsAcquiring();
      ready = block && camera.GrabFrame(block->Pixels(), block->PixelBytes());
      bytes = block ? block->PixelBytes() : 0;
      state.frameReady = ready ? 1 : 0;
    }
    if (ready) {
      // The meter numbers the frame; the renderer reports that number when it shows it.
      state.framesStored = state.live.meter.OnDelivered(FrameRateMeter::Clock::now(), bytes);
      state.redraw.Notify();
    }
    // GrabFrame returns at once while nothing is acquired; without a pause this
    // time-critical thread would take a whole core.
    if (!ready && idle) ::Sleep(kIdlePauseMs);
  }
}

bool FrameHandOffThread::Start() noexcept {
  if (thread_) return false;
  stop_ = false;
  thread_.reset(::CreateThread(nullptr, 0, &FrameHandOffThread::Entry, this, CREATE_SUSPENDED, nullptr));
  if (!thread_) return false;
  ::SetThreadPriority(thread_.get(), THREAD_PRIORITY_TIME_CRITICAL);
  ::ResumeThread(thread_.get());
  return true;
}

void FrameHandOffThread::Stop() noexcept {
  if (!thread_) return;
  stop_ = true;
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

DWORD WINAPI FrameHandOffThread::Entry(LPVOID self) noexcept {
  auto* owner = static_cast<FrameHandOffThread*>(self);
  RunFrameHandOff(owner->state_, owner->camera_, owner->stop_);
  return 0;
}
