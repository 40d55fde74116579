#pragma once
// The camera session: the SDK objects, the whole capture path into the frame buffer and the
// settings record that persists in the registry.
//
// Threads: Open, Close, StartCapture, ApplyProperties and OnePushWhiteBalance run on the
// user-interface thread (or, for Open, the panel's initialisation thread); the acquisition
// thread copies each good image into the staging buffer; the hand-off thread, which this
// session owns, copies it on into the frame buffer with GrabFrame. Nothing else writes frames.
// Locks: the frame buffer's buffer lock first, the staging lock next, the frame buffer's frame
// lock last (state/frame_buffer.h).
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "camera/property_record.h"
#include "framework/critical_section.h"
#include "framework/handles.h"
#include "state/app_state.h"

class FrameHandOffThread;

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
  std::int64_t storeCopy = 0;         // copying the SDK's image into the staging buffer
  std::int64_t grabCopy = 0;          // copying the staging buffer into the frame buffer
  std::int64_t grabbedRequestAt = 0;  // when the acquisition thread got the image the last grab copied
};

class CCamera {
 public:
  static constexpr DWORD kGrabTimeoutMs = 1000;
  static constexpr int kRequestWaitMs = 2000;
  static constexpr int kRequestCount = 4;
  static constexpr int kOnePushFrames = 5;

  explicit CCamera(AppState& state, CameraNotifier notifier = MessageBoxNotifier());
  ~CCamera();
  CCamera(const CCamera&) = delete;
  CCamera& operator=(const CCamera&) = delete;

  // Where failures are reported from now on; null restores the ownerless message box.
  void SetNotifier(CameraNotifier notifier);

  // Loads the stored settings, opens device 0 and applies the settings with force.
  // Reports a missing camera or a failed open to the user and returns false.
  bool Open();
  void Close() noexcept;
  bool IsOpen() const noexcept { return device_ != nullptr; }

  // Play: fits the frame buffer to the camera when their sizes differ, starts acquisition and,
  // the first time, the hand-off thread, which then runs until Close.
  bool StartCapture();
  bool HasHandOffThread() const noexcept;
  // Replaces the frame buffer by a black one of the camera's resolution; every re-fit to
  // the camera goes through here.
  void FitFrameBuffer();

  bool StartAcquisition();
  bool StopAcquisition();
  bool IsAcquiring() const noexcept { return !stopped_; }
  // Waits up to kGrabTimeoutMs for an image stored after the call began and copies it into
  // `destination` when that block is exactly the current resolution's stride x height bytes.
  bool GrabFrame(std::uint8_t* destination, std::size_t destinationBytes) noexcept;

  // Writes the fields of `record` that differ from the current record (all when `force`),
  // then makes it current and saves it. Values the camera refuses are reported and replaced
  // by what the camera has, so the saved record always holds values the camera took.
  void ApplyProperties(const PropertyRecord& record, bool force);
  // Runs one white-balance calibration; when `record` is given, reads the colour gains back
  // into it, makes it current and saves it.
  void OnePushWhiteBalance(PropertyRecord* record);

  const PropertyRecord& CurrentRecord() const noexcept { return current_; }
  int Width() const noexcept { return width_; }
  int Height() const noexcept { return height_; }
  CaptureTiming LastCaptureTiming() const noexcept { return {storeCopyTicks_, grabCopyTicks_, grabbedRequestAt_}; }

 private:
  class SettingWriter;

  static DWORD WINAPI AcquisitionThreadEntry(LPVOID self) noexcept;
  void AcquisitionLoop();
  void StoreFrame(const void* data, std::size_t size, std::int64_t requestAt);
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

  AppState& state_;  // not owned
  CameraNotifier notify_;
  std::unique_ptr<std::uint8_t[]> staging_;  // guarded by stagingLock_
  std::size_t stagingSize_ = 0;
  std::int64_t stagedRequestAt_ = 0;  // guarded by stagingLock_
  std::atomic<std::int64_t> storeCopyTicks_{0};
  std::atomic<std::int64_t> grabCopyTicks_{0};
  std::atomic<std::int64_t> grabbedRequestAt_{0};
  fw::UniqueKernelHandle frameEvent_;  // auto-reset: set per stored image
  fw::UniqueKernelHandle stopEvent_;   // manual-reset: set while stopped, so a grab ends at once
  CCriticalSection stagingLock_;
  std::atomic<int> width_{kSensorWidth};
  std::atomic<int> height_{kSensorHeight};
  std::unique_ptr<mvIMPACT::acquire::DeviceManager> manager_;
  mvIMPACT::acquire::Device* device_ = nullptr;  // not owned: belongs to manager_
  fw::UniqueKernelHandle thread_;
  std::unique_ptr<FrameHandOffThread> handOff_;
  std::atomic<bool> stopped_{true};
  PropertyRecord current_{};
  std::set<std::wstring> reportedRefusals_;  // the refusals told to the user in this run
};
