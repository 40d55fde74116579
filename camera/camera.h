#pragma once
// The camera session: the SDK objects and the device, the settings record that persists in
// the registry (camera/registry_store.h) and is written to the camera property by property,
// the capture path that brings frames into the frame exchange (camera/capture_path.h), and
// the link watcher that opens a camera that appears late and re-opens one that was unplugged
// and plugged in again (camera/camera_link.h, camera/link_watch.h).
//
// Threads: Open runs on the panel's initialisation thread, the other operations on the
// user-interface thread; the link watcher looks at the camera once a second on its own
// thread; the capture path runs the acquisition and hand-off threads.
// Locks: the session lock guards the device, the record and the link; every operation that
// touches them holds it, the watcher's looks too. The capture path's threads never take it,
// so an operation may wait for them while holding it; the capture path's own locks are
// private to it and the frame exchange's to that.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "camera/camera_link.h"
#include "camera/capture_path.h"
#include "camera/link_watch.h"
#include "camera/property_record.h"
#include "framework/critical_section.h"
#include "framework/handles.h"
#include "state/app_state.h"

namespace mvIMPACT::acquire {
class Device;
class DeviceManager;
}  // namespace mvIMPACT::acquire

// Shows a failure to the user: text, caption and MessageBox style. Called on whichever
// thread ran into the failure; the notifier decides where the message appears.
using CameraNotifier = std::function<void(const std::wstring& text, const std::wstring& caption, UINT style)>;
// MessageBoxW with no owner window.
CameraNotifier MessageBoxNotifier();

class CCamera {
 public:
  static constexpr int kOnePushFrames = 5;

  explicit CCamera(AppState& state, CameraNotifier notifier = MessageBoxNotifier());
  ~CCamera();
  CCamera(const CCamera&) = delete;
  CCamera& operator=(const CCamera&) = delete;

  // Where failures are reported from now on; null restores the ownerless message box.
  void SetNotifier(CameraNotifier notifier);

  // Starts a fresh session: loads the stored settings, opens device 0 and applies the
  // settings with force. Reports a missing camera or a failed open to the user and returns
  // false; the session then waits for a camera (see WatchLink).
  bool Open();
  // Ends the session: the link watcher, the hand-off and acquisition threads, the device
  // and the SDK. Not from the link listener.
  void Close() noexcept;
  // A device is open, though it may be lost (see Link()).
  bool IsOpen() const noexcept { return link_ == LinkState::Connected || link_ == LinkState::Lost; }

  // Starts the link watcher: from now on a camera that appears is opened, a lost one is
  // re-opened, and `listener` hears of each (on the watcher's thread: it must not block or
  // call Close). Once per session; Close stops it.
  void WatchLink(CameraLinkListener listener);
  // Stops the link watcher and waits for it; call without holding anything it might need.
  void StopWatchingLink() noexcept;
  // One look at the link (the watcher's; safe from any thread).
  void LookAtLink() noexcept;
  LinkState Link() const noexcept { return link_; }

  // Play: fits the frame buffer to the camera when their sizes differ, starts acquisition and,
  // the first time, the hand-off thread, which then runs until Close. While the camera is
  // lost it only notes that it is to play once the camera is back.
  bool StartCapture();
  bool HasHandOffThread() const noexcept { return capture_.HasHandOffThread(); }
  // Makes the frame buffer a black one of the camera's resolution; every re-fit to the
  // camera goes through here. Returns at once, whatever the camera does.
  void FitFrameBuffer();

  bool StartAcquisition();
  // Stop; while the camera is lost, also that it is not to play once back.
  bool StopAcquisition();
  // Acquisition is on (CapturePath::IsAcquiring).
  bool IsAcquiring() const noexcept { return capture_.IsAcquiring(); }
  // One pass of the hand-off into `frames` (CapturePath::GrabFrame), for whoever hands
  // frames on while no hand-off thread runs.
  bool GrabFrame(FrameExchange& frames) noexcept { return capture_.GrabFrame(frames); }

  // Writes the fields of `record` that differ from the current record (all when `force`),
  // then makes it current and saves it. Values the camera refuses are reported and replaced
  // by what the camera has, so the saved record always holds values the camera took.
  // While the camera is lost the record is only made current and saved: the re-open writes
  // every value.
  void ApplyProperties(const PropertyRecord& record, bool force);
  // Runs one white-balance calibration; when `record` is given, reads the colour gains back
  // into it, makes it current and saves it.
  void OnePushWhiteBalance(PropertyRecord* record);

  PropertyRecord CurrentRecord() const;
  int Width() const noexcept { return size_.load().width; }
  int Height() const noexcept { return size_.load().height; }
  CaptureTiming LastCaptureTiming() const noexcept { return capture_.LastTiming(); }

 private:
  class SettingWriter;

  void WriteProperties(const PropertyRecord& record, bool force);
  void ChangeResolution(PropertyRecord& record, const PropertyRecord& previous, SettingWriter& writer);
  void LoadRecord();
  void SaveRecord() noexcept;
  void ReportRefusals(const SettingWriter& writer);
  // Tells the live information where the picture lies on the sensor and what it is set to.
  void PublishPlacement() noexcept;
  // The exposure and gain the camera is using now, which auto exposure and gain move.
  void PublishExposure() noexcept;
  std::wstring CantFindCameraText() const;
  // The capture path's news, on the acquisition thread.
  void OnFramesStopped() noexcept;

  // Session and link, with the session lock held.
  bool CreateManager() noexcept;
  bool OpenDevice(bool reportFailure);
  void CloseDevice() noexcept;
  void EndSession() noexcept;
  bool CameraPresent() noexcept;
  void MarkLost();
  void Reopen();
  void Tell(CameraLinkEvent event) const;

  AppState& state_;  // not owned
  CameraNotifier notify_;
  // Taken first by every operation on the device, the record or the link; recursive.
  mutable CCriticalSection sessionLock_;
  // The camera's resolution: set by a resolution change, read whole by a re-fit from any
  // thread without the session lock (which a slow open may hold for long).
  std::atomic<FrameSize> size_{FrameSize{kSensorWidth, kSensorHeight}};
  std::unique_ptr<mvIMPACT::acquire::DeviceManager> manager_;  // one per session, kept across re-opens
  mvIMPACT::acquire::Device* device_ = nullptr;                // not owned: belongs to manager_
  PropertyRecord current_{};                                   // guarded by sessionLock_
  std::set<std::wstring> reportedRefusals_;                    // the refusals told to the user in this run

  std::atomic<LinkState> link_{LinkState::Closed};
  std::atomic<bool> framesStopped_{false};  // set by the acquisition thread, cleared by an open
  CameraLinkListener linkListener_;         // guarded by sessionLock_; set while the watcher runs
  LinkWatch linkWatch_;
  // With the session lock held: whether to play once the lost camera is back, when it was
  // lost, and whether the wait was announced.
  struct LostCamera {
    bool resumePlaying = false;
    ULONGLONG since = 0;
    bool waitingShown = false;
  } lost_;
  // Last, so that it ends first: its threads call back into the members above.
  CapturePath capture_;
};
