// The acquisition thread, its start and stop, the hand-off thread and the grab that hands a
// frame on into the frame buffer.
#include "camera/camera.h"

#include <chrono>
#include <cstring>
#include <mutex>

#include "camera/frame_hand_off.h"
#include "camera/setting_writer.h"
#include "imaging/frame_corrector.h"

using namespace camera_detail;

namespace {

// Reading two properties per frame would cost the SDK's lock for nothing: they change slowly.
constexpr std::uint64_t kExposureReadEvery = 8;

std::int64_t Ticks() noexcept {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

}  // namespace

bool CCamera::StartCapture() {
  std::lock_guard session(sessionLock_);
  if (link_ == LinkState::Lost) {
    resumePlaying_ = true;
    return false;
  }
  const auto block = state_.frameBuffer.Current();
  if (!block || block->Width() != width_ || block->Height() != height_) FitFrameBuffer();
  state_.live.meter.Reset();
  const bool started = StartAcquisition();
  if (!handOff_) {
    handOff_ = std::make_unique<FrameHandOffThread>(state_, *this);
    handOff_->Start();
  }
  return started;
}

bool CCamera::HasHandOffThread() const noexcept {
  std::lock_guard session(sessionLock_);
  return handOff_ && handOff_->IsRunning();
}

void CCamera::StopHandOff() noexcept {
  if (!handOff_) return;
  handOff_->Stop();
  handOff_.reset();
}

void CCamera::FitFrameBuffer() {
  // A resolution change sets width and height under the buffer lock: read them as a pair.
  std::lock_guard bufferLock(state_.frameBuffer.BufferLock());
  const int width = width_, height = height_;
  if (width > 0 && height > 0) state_.frameBuffer.Fit(width, height, kFrameBitsPerPixel);
}

void CCamera::SetStopped(bool stopped) noexcept {
  stopped_ = stopped;
  ::SetEvent(stopped ? stopEvent_.get() : runEvent_.get());
  ::ResetEvent(stopped ? runEvent_.get() : stopEvent_.get());
}

bool CCamera::StartAcquisition() {
  std::lock_guard session(sessionLock_);
  if (!device_ || link_ != LinkState::Connected) return false;
  if (thread_) {
    if (!stopped_) return false;
    // A thread that ended by itself (an SDK failure) is collected here, so play works again;
    // it sets the stopped flag as its last step, so this wait is short.
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
  }
  if (!stopped_) return false;
  SetStopped(false);
  HANDLE thread = ::CreateThread(nullptr, 0, &CCamera::AcquisitionThreadEntry, this, 0, nullptr);
  if (thread == nullptr) {
    SetStopped(true);
    return false;
  }
  thread_.reset(thread);
  return true;
}

bool CCamera::StopAcquisition() {
  std::lock_guard session(sessionLock_);
  if (link_ == LinkState::Lost) resumePlaying_ = false;
  return EndAcquisition();
}

bool CCamera::EndAcquisition() noexcept {
  if (!thread_) return false;
  ::ResetEvent(frameEvent_.get());
  SetStopped(true);
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  return true;
}

bool CCamera::GrabFrame(FrameBuffer& buffer, q7::imaging::FrameCorrector* corrector) noexcept {
  ::ResetEvent(frameEvent_.get());
  if (stopped_) return false;
  const HANDLE events[] = {frameEvent_.get(), stopEvent_.get()};
  if (::WaitForMultipleObjects(2, events, FALSE, kGrabTimeoutMs) != WAIT_OBJECT_0) return false;
  std::lock_guard stagingLock(stagingLock_);
  // Before anybody can read it: every reader of the frame buffer sees the corrected frame.
  if (corrector && staging_)
    corrector->Apply(staging_->Pixels(), staging_->Stride(), staging_->Width(), staging_->Height());
  const std::int64_t start = Ticks();
  if (!buffer.Store(staging_)) return false;
  grabCopyTicks_ = Ticks() - start;
  grabbedRequestAt_ = stagedRequestAt_;
  return true;
}

void CCamera::WaitUntilAcquiring(HANDLE cancel) const noexcept {
  const HANDLE events[] = {runEvent_.get(), cancel};
  if (::WaitForMultipleObjects(cancel ? 2 : 1, events, FALSE, INFINITE) == WAIT_FAILED) {
    ::Sleep(kGrabTimeoutMs / 100);  // no event to wait on: at least never spin
  }
}

bool CCamera::WaitForFreshFrames(int count) {
  std::unique_lock lock(storedMutex_);
  for (int i = 0; i < count; ++i) {
    const std::uint64_t seen = storedFrames_;
    if (!frameStored_.wait_for(lock, std::chrono::milliseconds(kGrabTimeoutMs),
                               [&] { return storedFrames_ != seen; })) {
      return false;
    }
  }
  return true;
}

DWORD WINAPI CCamera::AcquisitionThreadEntry(LPVOID self) noexcept {
  auto* camera = static_cast<CCamera*>(self);
  try {
    camera->AcquisitionLoop();
    return 0;
  } catch (...) {
    // The SDK failed under us: end this run of acquisition, keep the session usable.
  }
  camera->SetStopped(true);
  return 1;
}

void CCamera::AcquisitionLoop() {
  acq::Device& device = *device_;
  device.setting("Base").list("ImageRequestControl").property("Mode").write(0);  // manual
  acq::FunctionInterface fi(&device);

  // Whatever ends the loop, even an exception, leaves no request queued or locked.
  struct QueueCleanup {
    acq::FunctionInterface& fi;
    int locked = -1;
    ~QueueCleanup() {
      if (locked >= 0) fi.imageRequestUnlock(locked);
      fi.imageRequestReset(0, 0);
      for (int n = fi.imageRequestWaitFor(0, 0); n >= 0; n = fi.imageRequestWaitFor(0, 0)) fi.imageRequestUnlock(n);
    }
  } cleanup{fi};

  device.systemSettings().property("RequestCount").write(kRequestCount);
  fi.updateRequests();
  for (int i = 0; i < kRequestCount; ++i) fi.imageRequestSingle(0);
  std::uint64_t goodFrames = 0;

  while (!stopped_) {
    const int n = fi.imageRequestWaitFor(kRequestWaitMs, 0);
    if (n < 0) {
      if (stopped_) break;
      // Nothing for kRequestWaitMs while acquiring: the camera stopped sending (unplugged,
      // or hung). This run of the queue is over; the link watcher re-opens the camera.
      framesStopped_ = true;
      ::SetEvent(linkWake_.get());
      break;
    }
    const std::int64_t requestAt = Ticks();
    fi.updateRequests();
    const acq::Request* request = fi.getRequest(n);
    if (request != nullptr && request->requestResult() == acq::kRequestOk && request->imageData() != nullptr) {
      StoreFrame(request->imageData(), request->imageSize(), requestAt);
      if (++goodFrames % kExposureReadEvery == 0) PublishExposure();
    } else {
      state_.live.meter.OnBad(FrameRateMeter::Clock::now());
    }
    // The newest image stays locked until the next one arrives.
    if (cleanup.locked >= 0) fi.imageRequestUnlock(cleanup.locked);
    cleanup.locked = n;
    fi.imageRequestSingle(0);
  }
}

void CCamera::PublishExposure() noexcept {
  SettingWriter w(*device_);
  state_.live.exposureUs = w.ReadInt(kCameraList, "Expose_us", state_.live.exposureUs);
  state_.live.gainDb = w.ReadDouble(kCameraList, "Gain_dB", state_.live.gainDb);
}

void CCamera::StoreFrame(const void* data, std::size_t size, std::int64_t requestAt) {
  {
    std::lock_guard stagingLock(stagingLock_);
    // An image of another size (one taken before a resolution change) is dropped.
    if (!staging_ || size != staging_->PixelBytes()) return;
    const std::int64_t start = Ticks();
    std::memcpy(staging_->Pixels(), data, size);
    storeCopyTicks_ = Ticks() - start;
    stagedRequestAt_ = requestAt;
  }
  {
    std::lock_guard count(storedMutex_);
    ++storedFrames_;
  }
  frameStored_.notify_all();
  ::SetEvent(frameEvent_.get());
}
