#pragma once
// The capture path of the camera session: the acquisition thread, which keeps image requests
// queued in the SDK and copies each good image into the staging slot, and the hand-off
// thread, which takes each staged frame and publishes it in the frame exchange. Nothing else
// writes frames.
//
// Threads and locks: the acquisition thread and the hand-off meet only in the staging slot,
// the hand-off and the readers only in the frame exchange; each has its own mutex, held only
// to move a block, so no lock of the capture path is ever held while waiting for the camera
// or taken inside another.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "camera/staging_slot.h"
#include "framework/handles.h"
#include "state/app_state.h"

class FrameHandOffThread;

namespace mvIMPACT::acquire {
class Device;
}  // namespace mvIMPACT::acquire

// Where the time of the last frames went, in QueryPerformanceCounter ticks; for the
// capture benchmark and diagnostics.
struct CaptureTiming {
  std::int64_t storeCopy = 0;         // copying the SDK's image into the staging slot
  std::int64_t grabCopy = 0;          // handing the staged frame on to the frame exchange (a trade)
  std::int64_t grabbedRequestAt = 0;  // when the acquisition thread got the image the last grab handed on
};

class CapturePath {
 public:
  static constexpr std::chrono::milliseconds kGrabTimeout{1000};
  // A wait this long without a finished request means the camera stopped sending.
  static constexpr int kRequestWaitMs = 2000;
  static constexpr int kRequestCount = 4;

  struct Listener {
    // The camera stopped sending: nothing for kRequestWaitMs while acquiring (acquisition thread).
    std::function<void()> framesStopped;
    // Every few good frames, to read what auto exposure and gain chose (acquisition thread).
    std::function<void()> everyFewFrames;
  };

  CapturePath(AppState& state, Listener listener);
  ~CapturePath();  // stops both threads
  CapturePath(const CapturePath&) = delete;
  CapturePath& operator=(const CapturePath&) = delete;

  // Starts the acquisition thread on `device`; false when it runs already or cannot start.
  bool StartAcquisition(mvIMPACT::acquire::Device& device);
  // Ends it and waits for its end; false when there was nothing to stop.
  bool StopAcquisition() noexcept;
  // Acquisition is on: started and neither stopped nor ended by an SDK failure. It stays on
  // while the camera stops sending, so that a re-opened camera plays again.
  bool IsAcquiring() const noexcept { return acquiring_; }
  // The size of the images from now on (a resolution change, with acquisition stopped).
  void Resize(int width, int height);

  // Starts the hand-off thread (once; it idles while acquisition is off) and ends it.
  void StartHandOff();
  void StopHandOff() noexcept;
  bool HasHandOffThread() const noexcept;

  // One pass of the hand-off: waits up to kGrabTimeout for a staged frame and publishes it
  // in `frames`. False on time-out, while stopped, or when the frame is not of the
  // exchange's size (one taken before a re-fit). One caller at a time.
  bool GrabFrame(FrameExchange& frames) noexcept;
  // Waits until acquisition is on or `cancel` is set: the idle hand-off waits here.
  void WaitUntilAcquiring(HANDLE cancel) const noexcept;
  // Waits for `count` good images, each within kGrabTimeout; false on the first that does
  // not come. Takes nothing from the hand-off.
  bool WaitForFreshFrames(int count);

  CaptureTiming LastTiming() const noexcept { return {storeCopyTicks_, grabCopyTicks_, grabbedRequestAt_}; }

 private:
  static DWORD WINAPI AcquisitionThreadEntry(LPVOID self) noexcept;
  void AcquisitionLoop(mvIMPACT::acquire::Device& device);
  void OnGoodImage(const void* data, std::size_t size, std::int64_t requestAt);
  void SetAcquiring(bool on) noexcept;

  AppState& state_;  // not owned
  const Listener listener_;
  StagingSlot slot_;
  mvIMPACT::acquire::Device* device_ = nullptr;  // not owned: the session's, while acquiring
  fw::UniqueKernelHandle thread_;
  std::atomic<bool> stopRequested_{false};  // the acquisition loop's stop request
  std::atomic<bool> acquiring_{false};
  fw::UniqueKernelHandle runEvent_;  // manual-reset: set while acquiring, so the idle hand-off wakes

  // GrabFrame's: one caller at a time (the hand-off thread, or a test while none runs).
  std::unique_ptr<FrameBlock> handOffBlock_;  // empty between passes, given to the slot for the next copy
  std::uint64_t framesHandedOn_ = 0;          // numbers the frames; never reset
  mutable std::mutex handOffMutex_;           // guards handOff_ only
  std::unique_ptr<FrameHandOffThread> handOff_;

  std::mutex receivedMutex_;  // guards received_
  std::condition_variable imageReceived_;
  std::uint64_t received_ = 0;  // good images so far; every waiter sees every one

  std::atomic<std::int64_t> storeCopyTicks_{0};
  std::atomic<std::int64_t> grabCopyTicks_{0};
  std::atomic<std::int64_t> grabbedRequestAt_{0};
};
