// The session's link to the camera: one look at a time, and what a look leads to.
#include "camera/camera_link.h"

#include <mutex>

#include "camera/camera.h"
#include "camera/setting_writer.h"

using namespace camera_detail;

LinkStep NextLinkStep(const LinkLook& look) noexcept {
  switch (look.state) {
    case LinkState::Closed: return LinkStep::None;
    case LinkState::Waiting: return look.cameraPresent ? LinkStep::Open : LinkStep::None;
    case LinkState::Connected: return !look.cameraPresent || look.framesStopped ? LinkStep::MarkLost : LinkStep::None;
    case LinkState::Lost:
      if (look.cameraPresent) return LinkStep::Reopen;
      if (!look.waitingShown && look.msSinceLost >= kWaitingNoticeAfterMs) return LinkStep::SayWaiting;
      return LinkStep::None;
  }
  return LinkStep::None;
}

void CCamera::WatchLink(CameraLinkListener listener) {
  if (linkWatch_.IsRunning()) return;
  {
    std::lock_guard session(sessionLock_);
    linkListener_ = std::move(listener);
  }
  linkWatch_.Start();
}

void CCamera::StopWatchingLink() noexcept {
  if (!linkWatch_.IsRunning()) return;
  linkWatch_.Stop();
  std::lock_guard session(sessionLock_);
  linkListener_ = nullptr;
}

void CCamera::LookAtLink() noexcept {
  try {
    std::lock_guard session(sessionLock_);
    LinkLook look;
    look.state = link_;
    if (look.state == LinkState::Closed) return;
    look.cameraPresent = CameraPresent();
    look.framesStopped = framesStopped_;
    look.waitingShown = lost_.waitingShown;
    look.msSinceLost = look.state == LinkState::Lost ? ::GetTickCount64() - lost_.since : 0;
    switch (NextLinkStep(look)) {
      case LinkStep::None: break;
      case LinkStep::Open:
        // As at start: the stored settings (loaded by Open) applied with force, the frame
        // buffer fitted to the camera.
        if (OpenDevice(false)) {
          FitFrameBuffer();
          Tell(CameraLinkEvent::Opened);
        }
        break;
      case LinkStep::MarkLost: MarkLost(); break;
      case LinkStep::SayWaiting:
        lost_.waitingShown = true;
        Tell(CameraLinkEvent::Waiting);
        break;
      case LinkStep::Reopen: Reopen(); break;
    }
  } catch (...) {
    // The SDK failed during this look; the next one tries again.
  }
}

bool CCamera::CameraPresent() noexcept {
  // The open camera's state is read live; a camera the session has not got is looked for
  // in the device list, which only an update brings up to date.
  if (link_ == LinkState::Connected) return device_ && device_->state() == acq::dsPresent;
  if (!CreateManager()) return false;
  manager_->updateDeviceList();
  const acq::Device* device = manager_->deviceCount() > 0 ? manager_->getDevice(0) : nullptr;
  return device && device->state() == acq::dsPresent;
}

void CCamera::MarkLost() {
  link_ = LinkState::Lost;
  lost_ = {capture_.IsAcquiring(), ::GetTickCount64(), false};
  state_.noSignal = true;  // the last picture stays, marked
  state_.redraw.Notify();
  Tell(CameraLinkEvent::Lost);
}

void CCamera::Reopen() {
  const bool play = lost_.resumePlaying;
  CloseDevice();                   // the lost session: its acquisition has ended or ends within one wait
  if (!OpenDevice(false)) return;  // still lost; the next look tries again
  FitFrameBuffer();
  if (play) StartCapture();
  ++state_.reconnects;
  state_.noSignal = false;
  state_.redraw.Notify();
  Tell(CameraLinkEvent::Reconnected);
}

void CCamera::Tell(CameraLinkEvent event) const {
  if (linkListener_) linkListener_(event);
}
