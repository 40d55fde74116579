#include "camera/capture_path.h"

#include <utility>

#include "camera/frame_hand_off.h"
#include "camera/sdk/acquire.h"
#include "imaging/frame_corrector.h"

namespace acq = mvIMPACT::acquire;

namespace {

// Reading two properties per frame would cost the SDK's lock for nothing: they change slowly.
constexpr std::uint64_t kExposureReadEvery = 8;

std::int64_t Ticks() noexcept {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

}  // namespace

CapturePath::CapturePath(AppState& state, Listener listener, q7::imaging::FrameCorrector* corrector)
    : state_(state),
      listener_(std::move(listener)),
      corrector_(corrector),
      runEvent_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CapturePath::~CapturePath() {
  StopHandOff();
  StopAcquisition();
}

void CapturePath::SetAcquiring(bool on) noexcept {
  acquiring_ = on;
  if (on) {
    slot_.Resume();
    ::SetEvent(runEvent_.get());
  } else {
    ::ResetEvent(runEvent_.get());
    slot_.Interrupt();  // a grab waiting for a frame ends at once
  }
}

bool CapturePath::StartAcquisition(acq::Device& device) {
  if (thread_) {
    if (acquiring_) return false;
    // A thread that ended by itself (an SDK failure) is collected here, so play works again;
    // it turns acquisition off as its last step, so this wait is short.
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
  }
  device_ = &device;
  stopRequested_ = false;
  SetAcquiring(true);
  thread_.reset(::CreateThread(nullptr, 0, &CapturePath::AcquisitionThreadEntry, this, 0, nullptr));
  if (!thread_) {
    SetAcquiring(false);
    return false;
  }
  return true;
}

bool CapturePath::StopAcquisition() noexcept {
  if (!thread_) return false;
  stopRequested_ = true;
  SetAcquiring(false);
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  device_ = nullptr;
  return true;
}

void CapturePath::Resize(int width, int height) { slot_.Resize(width, height); }

void CapturePath::StartHandOff() {
  std::lock_guard lock(handOffMutex_);
  if (handOff_) return;
  handOff_ = std::make_unique<FrameHandOffThread>(state_, *this);
  handOff_->Start();
}

void CapturePath::StopHandOff() noexcept {
  std::unique_ptr<FrameHandOffThread> handOff;
  {
    std::lock_guard lock(handOffMutex_);
    handOff = std::move(handOff_);
  }
  if (handOff) handOff->Stop();  // outside the lock: the wait may take a grab's timeout
}

bool CapturePath::HasHandOffThread() const noexcept {
  std::lock_guard lock(handOffMutex_);
  return handOff_ && handOff_->IsRunning();
}

bool CapturePath::GrabFrame(FrameExchange& frames) noexcept {
  try {
    std::int64_t capturedAt = 0;
    if (!slot_.Take(handOffBlock_, capturedAt, kGrabTimeout)) return false;
    const std::int64_t start = Ticks();
    // In place, on the block nobody else sees yet: no lock is held.
    if (corrector_)
      corrector_->Apply(handOffBlock_->Pixels(), handOffBlock_->Stride(), handOffBlock_->Width(),
                        handOffBlock_->Height());
    const std::size_t bytes = handOffBlock_->PixelBytes();
    const FrameStamp stamp{framesHandedOn_ + 1, capturedAt};
    if (!frames.Publish(handOffBlock_, stamp)) return false;  // the frame of an older size goes
    ++framesHandedOn_;
    grabCopyTicks_ = Ticks() - start;
    grabbedRequestAt_ = capturedAt;
    // The meter knows the frame by its number; the renderer reports that number when it shows it.
    state_.live.meter.OnDelivered(FrameRateMeter::Clock::now(), bytes, stamp.number);
    return true;
  } catch (const std::bad_alloc&) {
    return false;  // no memory for the next empty block: this frame is lost, the next may pass
  }
}

void CapturePath::WaitUntilAcquiring(HANDLE cancel) const noexcept {
  const HANDLE events[] = {runEvent_.get(), cancel};
  if (::WaitForMultipleObjects(cancel ? 2 : 1, events, FALSE, INFINITE) == WAIT_FAILED) {
    ::Sleep(static_cast<DWORD>(kGrabTimeout.count() / 100));  // no event to wait on: at least never spin
  }
}

bool CapturePath::WaitForFreshFrames(int count) {
  std::unique_lock lock(receivedMutex_);
  for (int i = 0; i < count; ++i) {
    const std::uint64_t seen = received_;
    if (!imageReceived_.wait_for(lock, kGrabTimeout, [&] { return received_ != seen; })) return false;
  }
  return true;
}

DWORD WINAPI CapturePath::AcquisitionThreadEntry(LPVOID self) noexcept {
  auto* capture = static_cast<CapturePath*>(self);
  try {
    capture->AcquisitionLoop(*capture->device_);
    return 0;
  } catch (...) {
    // The SDK failed under us: end this run of acquisition, keep the session usable.
  }
  capture->SetAcquiring(false);
  return 1;
}

void CapturePath::AcquisitionLoop(acq::Device& device) {
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

  while (!stopRequested_) {
    const int n = fi.imageRequestWaitFor(kRequestWaitMs, 0);
    if (n < 0) {
      if (stopRequested_) break;
      // Nothing for kRequestWaitMs while acquiring: the camera stopped sending (unplugged,
      // or hung). This run of the queue is over; the link watcher re-opens the camera.
      if (listener_.framesStopped) listener_.framesStopped();
      break;
    }
    const std::int64_t requestAt = Ticks();
    fi.updateRequests();
    const acq::Request* request = fi.getRequest(n);
    if (request != nullptr && request->requestResult() == acq::kRequestOk && request->imageData() != nullptr) {
      OnGoodImage(request->imageData(), request->imageSize(), requestAt);
      if (++goodFrames % kExposureReadEvery == 0 && listener_.everyFewFrames) listener_.everyFewFrames();
    } else {
      state_.live.meter.OnBad(FrameRateMeter::Clock::now());
    }
    // The newest image stays locked until the next one arrives.
    if (cleanup.locked >= 0) fi.imageRequestUnlock(cleanup.locked);
    cleanup.locked = n;
    fi.imageRequestSingle(0);
  }
}

void CapturePath::OnGoodImage(const void* data, std::size_t size, std::int64_t requestAt) {
  const std::int64_t start = Ticks();
  switch (slot_.Stage(data, size, requestAt)) {
    case StagingSlot::StageResult::Staged: storeCopyTicks_ = Ticks() - start; break;
    // The hand-off has not taken the previous frame yet: this one is lost, never that one.
    case StagingSlot::StageResult::Busy: state_.live.meter.OnDropped(FrameRateMeter::Clock::now()); break;
    // An image of another size (one taken before a resolution change), or one that came as
    // acquisition stopped, is dropped.
    case StagingSlot::StageResult::WrongSize:
    case StagingSlot::StageResult::Interrupted: break;
  }
  {
    std::lock_guard lock(receivedMutex_);
    ++received_;
  }
  imageReceived_.notify_all();
}
