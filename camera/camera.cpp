#include "camera/camera.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "camera/frame_hand_off.h"
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
      frameEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      stopEvent_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
  current_.version = 1;
}

CCamera::~CCamera() { Close(); }

void CCamera::SetNotifier(CameraNotifier notifier) { notify_ = notifier ? std::move(notifier) : MessageBoxNotifier(); }

// ---------------------------------------------------------------------------------------
// Session

bool CCamera::Open() {
  LoadRecord();
  if (device_) Close();
  manager_.reset();
  try {
    manager_ = std::make_unique<acq::DeviceManager>();
  } catch (const acq::ImpactAcquireException&) {
    // The SDK did not start: to the user that is the same as no camera.
    notify_(CantFindCameraText(), AfxProgramName(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  manager_->updateDeviceList();
  if (manager_->deviceCount() == 0) {
    manager_.reset();
    notify_(CantFindCameraText(), AfxProgramName(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  manager_->updateDeviceList();
  acq::Device* device = manager_->getDevice(0);
  try {
    if (device == nullptr) throw acq::ImpactAcquireException("Open device failed", acq::kErrorOpenFailed);
    device->open();
  } catch (const acq::ImpactAcquireException&) {
    manager_.reset();
    notify_(L"An error occurred while opening the device", L"Error", MB_OK);
    return false;
  }
  device_ = device;

  SettingWriter writer(*device_);
  if (!writer.Write("ImageDestination", "PixelFormat", kPixelFormatBgr24)) {
    // Any other pixel format would not fit the frame buffer: the camera is unusable.
    Close();
    notify_(L"An error occurred while opening the device", L"Error", MB_OK);
    return false;
  }
  writer.Write(kProcessingList, "WhiteBalance", kWhiteBalanceUser1);
  writer.Write(kKneeList, "GainOffsetKneeEnable", 1);
  writer.Write("ImageProcessing/LUTOperations", "LUTEnable", 0);
  ReportRefusals(writer);

  const PropertyRecord stored = current_;
  ApplyProperties(stored, true);
  return true;
}

void CCamera::Close() noexcept {
  StopHandOff();
  ::ResetEvent(frameEvent_.get());
  StopAcquisition();
  device_ = nullptr;
  manager_.reset();  // closes the device and shuts the SDK down
  std::lock_guard stagingLock(stagingLock_);
  staging_.reset();
  stagingSize_ = 0;
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

void CCamera::SaveRecord() noexcept {
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &current_.version,
                     sizeof current_.version);
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &current_, sizeof current_);
}

void CCamera::ReportRefusals(const SettingWriter& writer) {
  // Once per run for each refusal: a setting rewritten on every apply would otherwise bring
  // the same box back after every change.
  std::wstring lines;
  for (const SettingWriter::Refusal& r : writer.Refusals()) {
    if (reportedRefusals_.insert(r.key).second) lines += L"\n" + r.text;
  }
  if (lines.empty()) return;
  notify_(L"The camera refused these settings and keeps its own values:" + lines, L"Error", MB_OK | MB_ICONWARNING);
}
