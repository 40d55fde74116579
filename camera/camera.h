#pragma once
// The camera session: the SDK objects, the whole capture path into the frame buffer, the
// settings record that persists in the registry, and the link watcher that opens a camera
// that appears late and re-opens one that was unplugged and plugged in again.
//
// Threads: Open runs on the panel's initialisation thread, the other operations on the
// user-interface thread; the link watcher looks at the camera once a second on its own
// thread; the acquisition thread copies each good image into the staging block; the
// hand-off thread, which this session owns, hands that block on to the frame buffer with
// GrabFrame (traded for the buffer's block, copied only while a reader holds that one).
// Nothing else writes frames.
// Locks: the session lock first (every operation that touches the device or the record
// holds it, the watcher's looks too), then the frame buffer's buffer lock, the staging lock,
// and the frame buffer's frame lock last (state/frame_buffer.h). The acquisition and hand-off
// threads never take the session lock, so an operation may wait for them while holding it.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "camera/camera_link.h"
#include "camera/property_record.h"
#include "framework/critical_section.h"
#include "framework/handles.h"
#include "state/app_state.h"

class FrameHandOffThread;
class LinkWatchThread;
namespace q7::imaging {
class FrameCorrector;
}

namespace mvIMPACT::acquire {
class Device;
class DeviceManager;
}  // namespace mvIMPACT::acquire

// Shows a failure to the user: text, caption and MessageBox style. Called on whichever
// thread ran into the failure; the notifier decides where the message appears.
using CameraNotifier = std::function<void(const std::wstring& text, const std::wstring& caption, UINT style)>;
// MessageBoxW with no owner window.
CameraNotifier MessageBoxNotifier();

// Where the time of the last frames went, in QueryPerformanceCounter ticks; for the
// capture benchmark and diagnostics.
struct CaptureTiming {
  std::int64_t storeCopy = 0;         // copying the SDK's image into the staging block
  std::int64_t grabCopy = 0;          // storing the staging block in the frame buffer (a trade or a copy)
  std::int64_t grabbedRequestAt = 0;  // when the acquisition thread got the image the last grab copied
};

class CCamera {
 public:
  static constexpr DWORD kGrabTimeoutMs = 1000;
  // A wait this long without a finished request means the camera stopped sending.
  static constexpr int kRequestWaitMs = 2000;
  static constexpr int kRequestCount = 4;
  static constexpr int kOnePushFrames = 5;

  // `corrector`, when given, corrects every frame on its way into the frame buffer and hears of
  // every change of the camera's settings; it must outlive the session.
  explicit CCamera(AppState& state, CameraNotifier notifier = MessageBoxNotifier(),
                   q7::imaging::FrameCorrector* corrector = nullptr);
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
  bool HasHandOffThread() const noexcept;
  // Replaces the frame buffer by a black one of the camera's resolution; every re-fit to
  // the camera goes through here.
  void FitFrameBuffer();

  bool StartAcquisition();
  // Stop; while the camera is lost, also that it is not to play once back.
  bool StopAcquisition();
  bool IsAcquiring() const noexcept { return !stopped_; }
  // Waits up to kGrabTimeoutMs for an image stored after the call began and stores it in
  // `buffer` (FrameBuffer::Store) when the buffer's block has the image's size, corrected
  // first by `corrector` when one is given.
  bool GrabFrame(FrameBuffer& buffer, q7::imaging::FrameCorrector* corrector = nullptr) noexcept;
  // The picture correction the hand-off applies to every frame; null: none.
  q7::imaging::FrameCorrector* Corrector() const noexcept { return corrector_; }
  // Waits until acquisition runs or `cancel` is set: the idle hand-off waits here.
  void WaitUntilAcquiring(HANDLE cancel) const noexcept;

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
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  CaptureTiming LastCaptureTiming() const noexcept { return {storeCopyTicks_, grabCopyTicks_, grabbedRequestAt_}; }

 private:
  class SettingWriter;

  static DWORD WINAPI AcquisitionThreadEntry(LPVOID self) noexcept;
  void AcquisitionLoop();
  void StoreFrame(const void* data, std::size_t size, std::int64_t requestAt);
  // Waits for `count` images stored one after the other, each within kGrabTimeoutMs; false
  // on the first that does not come. Does not take frames from the hand-off.
  bool WaitForFreshFrames(int count);
  void SetStopped(bool stopped) noexcept;
  bool EndAcquisition() noexcept;
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
  void StopHandOff() noexcept;

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
  q7::imaging::FrameCorrector* const corrector_;  // not owned; may be null
  // Taken first by every operation on the device, the record or the link; recursive.
  mutable CCriticalSection sessionLock_;
  std::shared_ptr<FrameBlock> staging_;  // guarded by stagingLock_; never shared
  std::int64_t stagedRequestAt_ = 0;     // guarded by stagingLock_
  std::atomic<std::int64_t> storeCopyTicks_{0};
  std::atomic<std::int64_t> grabCopyTicks_{0};
  std::atomic<std::int64_t> grabbedRequestAt_{0};
  fw::UniqueKernelHandle frameEvent_;  // auto-reset: set per stored image, taken by the grab
  fw::UniqueKernelHandle stopEvent_;   // manual-reset: set while stopped, so a grab ends at once
  fw::UniqueKernelHandle runEvent_;    // manual-reset: set while acquiring, so the idle hand-off wakes
  std::mutex storedMutex_;             // guards storedFrames_
  std::condition_variable frameStored_;
  std::uint64_t storedFrames_ = 0;  // images stored so far; every waiter sees every one
  CCriticalSection stagingLock_;
  std::atomic<int> width_{kSensorWidth};
  std::atomic<int> height_{kSensorHeight};
  std::unique_ptr<mvIMPACT::acquire::DeviceManager> manager_;  // one per session, kept across re-opens
  mvIMPACT::acquire::Device* device_ = nullptr;                // not owned: belongs to manager_
  fw::UniqueKernelHandle thread_;
  std::unique_ptr<FrameHandOffThread> handOff_;
  std::atomic<bool> stopped_{true};
  PropertyRecord current_{};                 // guarded by sessionLock_
  std::set<std::wstring> reportedRefusals_;  // the refusals told to the user in this run

  std::atomic<LinkState> link_{LinkState::Closed};
  std::atomic<bool> framesStopped_{false};  // set by the acquisition thread, cleared by an open
  fw::UniqueKernelHandle linkWake_;         // auto-reset: has the watcher look at once
  CameraLinkListener linkListener_;         // set before the watcher starts, cleared after it ends
  std::unique_ptr<LinkWatchThread> linkWatch_;
  // With the session lock held: whether to play once the lost camera is back, when it was
  // lost, and whether the wait was announced.
  bool resumePlaying_ = false;
  ULONGLONG lostAt_ = 0;
  bool waitingShown_ = false;
};
