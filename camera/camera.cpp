#include "camera/camera.h"

#include <mutex>

#include "camera/registry_store.h"
#include "camera/setting_writer.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"

using namespace camera_detail;

CameraNotifier MessageBoxNotifier() {
  return [](const std::wstring& text, const std::wstring& caption, UINT style) {
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
  };
}

CCamera::CCamera(AppState& state, CameraNotifier notifier)
    : state_(state),
      notify_(notifier ? std::move(notifier) : MessageBoxNotifier()),
      linkWatch_([this] { LookAtLink(); }),
      capture_(state, {[this] { OnFramesStopped(); }, [this] { PublishExposure(); }}) {
  current_.version = 1;
}

CCamera::~CCamera() { Close(); }

void CCamera::SetNotifier(CameraNotifier notifier) { notify_ = notifier ? std::move(notifier) : MessageBoxNotifier(); }

// ---------------------------------------------------------------------------------------
// Session

bool CCamera::Open() {
  std::lock_guard session(sessionLock_);
  EndSession();
  LoadRecord();
  // From here on the session looks for a camera until it has one.
  link_ = LinkState::Waiting;
  if (CreateManager()) manager_->updateDeviceList();
  // An SDK that does not start is, to the user, the same as no camera.
  if (!manager_ || manager_->deviceCount() == 0) {
    notify_(CantFindCameraText(), AfxProgramName(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  manager_->updateDeviceList();
  return OpenDevice(true);
}

void CCamera::Close() noexcept {
  StopWatchingLink();  // first, and without the session lock: a look may be waiting for it
  std::lock_guard session(sessionLock_);
  EndSession();
}

void CCamera::EndSession() noexcept {
  capture_.StopHandOff();
  CloseDevice();
  manager_.reset();  // shuts the SDK down
  link_ = LinkState::Closed;
  lost_.resumePlaying = false;
  if (state_.noSignal.exchange(false)) state_.redraw.Notify();
}

bool CCamera::CreateManager() noexcept {
  if (manager_) return true;
  try {
    manager_ = std::make_unique<acq::DeviceManager>();
    return true;
  } catch (...) {
    return false;
  }
}

bool CCamera::OpenDevice(bool reportFailure) {
  const auto failed = [&] {
    if (reportFailure) notify_(L"An error occurred while opening the device", L"Error", MB_OK);
    return false;
  };
  acq::Device* device = manager_ ? manager_->getDevice(0) : nullptr;
  try {
    if (device == nullptr) throw acq::ImpactAcquireException("Open device failed", acq::kErrorOpenFailed);
    device->open();
  } catch (const acq::ImpactAcquireException&) {
    return failed();
  }
  device_ = device;

  SettingWriter writer(*device_);
  if (!writer.Write("ImageDestination", "PixelFormat", kPixelFormatBgr24)) {
    // Any other pixel format would not fit the frame buffer: the camera is unusable.
    CloseDevice();
    return failed();
  }
  writer.Write(kProcessingList, "WhiteBalance", kWhiteBalanceUser1);
  writer.Write(kKneeList, "GainOffsetKneeEnable", 1);
  writer.Write("ImageProcessing/LUTOperations", "LUTEnable", 0);
  ReportRefusals(writer);

  framesStopped_ = false;
  link_ = LinkState::Connected;
  const PropertyRecord stored = current_;
  WriteProperties(stored, true);
  return true;
}

// Ends acquisition and closes the device; the SDK and the hand-off stay.
void CCamera::CloseDevice() noexcept {
  capture_.StopAcquisition();
  if (device_) device_->close();
  device_ = nullptr;
  capture_.Resize(0, 0);  // the staging blocks go; the next open sizes them again
}

void CCamera::ApplyProperties(const PropertyRecord& record, bool force) {
  std::lock_guard session(sessionLock_);
  if (link_ == LinkState::Lost) {
    // Nothing reaches a camera that is not there; the re-open writes every value.
    current_ = record;
    SaveRecord();
    return;
  }
  WriteProperties(record, force);
}

PropertyRecord CCamera::CurrentRecord() const {
  std::lock_guard session(sessionLock_);
  return current_;
}

std::wstring CCamera::CantFindCameraText() const {
  wchar_t text[256] = {};
  if (::LoadStringW(state_.resourceLibrary, IDS_CANT_FIND_CAMERA, text, 256) > 0) return text;
  return L"Can't find camera.";
}

void CCamera::LoadRecord() {
  const StoredRecord stored = ReadStoredRecord();
  // Nothing stored is a first run; something stored that cannot be read is worth saying,
  // since the defaults are about to replace it.
  if (stored.result != ERROR_SUCCESS && stored.result != ERROR_FILE_NOT_FOUND)
    notify_(L"The stored camera settings could not be read, so the camera starts with its default settings.", L"Error",
            MB_OK | MB_ICONWARNING);
  current_ = stored.record;
}

void CCamera::SaveRecord() noexcept { WriteStoredRecord(current_); }

void CCamera::ReportRefusals(const SettingWriter& writer) {
  // Once per run for each refusal: a setting rewritten on every apply would otherwise bring
  // the same box back after every change.
  std::wstring report;
  for (const SettingWriter::Refusal& r : writer.Refusals()) {
    if (reportedRefusals_.insert(r.key).second) report += (report.empty() ? L"" : L"\n\n") + r.text;
  }
  if (report.empty()) return;
  notify_(report, L"Error", MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------------------------------
// Capture

bool CCamera::StartCapture() {
  std::lock_guard session(sessionLock_);
  if (link_ == LinkState::Lost) {
    lost_.resumePlaying = true;
    return false;
  }
  const FrameSize frame = state_.frames.Size();
  if (frame.width != Width() || frame.height != Height()) FitFrameBuffer();
  state_.live.meter.Reset();
  const bool started = StartAcquisition();
  capture_.StartHandOff();
  return started;
}

void CCamera::FitFrameBuffer() {
  const FrameSize size = size_.load();
  if (size.width > 0 && size.height > 0) state_.frames.Refit(size.width, size.height);
}

bool CCamera::StartAcquisition() {
  std::lock_guard session(sessionLock_);
  if (!device_ || link_ != LinkState::Connected) return false;
  return capture_.StartAcquisition(*device_);
}

bool CCamera::StopAcquisition() {
  std::lock_guard session(sessionLock_);
  if (link_ == LinkState::Lost) lost_.resumePlaying = false;
  return capture_.StopAcquisition();
}

void CCamera::OnFramesStopped() noexcept {
  framesStopped_ = true;
  linkWatch_.Wake();
}

void CCamera::PublishExposure() noexcept {
  SettingWriter w(*device_);
  state_.live.exposureUs = w.ReadInt(kCameraList, "Expose_us", state_.live.exposureUs);
  state_.live.gainDb = w.ReadDouble(kCameraList, "Gain_dB", state_.live.gainDb);
}
