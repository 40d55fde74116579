#include "camera/camera.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "camera/registry_store.h"
#include "camera/sdk/acquire.h"
#include "resources/resource_ids.h"

namespace acq = mvIMPACT::acquire;

namespace {

// Lists within the setting "Base".
constexpr const char* kCameraList = "Camera";
constexpr const char* kAoiList = "Camera/Aoi";
constexpr const char* kAutoList = "Camera/AutoControlParameters";
constexpr const char* kProcessingList = "ImageProcessing";
constexpr const char* kMirrorList = "ImageProcessing/Mirror";
constexpr const char* kKneeList = "ImageProcessing/GainOffsetKnee";
constexpr const char* kWhiteBalanceList = "ImageProcessing/WhiteBalanceSettings-1";

constexpr int kPixelFormatBgr24 = 10;
constexpr int kWhiteBalanceUser1 = 6;
constexpr int kColourProcessingColour = 2;
constexpr int kColourProcessingMono = 3;

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring Format(int v) { return std::to_wstring(v); }
std::wstring Format(double v) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%g", v);
  return text;
}

std::int64_t Ticks() noexcept {
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return t.QuadPart;
}

std::wstring ProgramName() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = path;
  name = name.substr(name.find_last_of(L"\\/") + 1);
  return name.substr(0, name.find_last_of(L'.'));
}

}  // namespace

CameraNotifier MessageBoxNotifier() {
  return [](const std::wstring& text, const std::wstring& caption, UINT style) {
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
  };
}

// Writes properties of the setting "Base" by list path and name. A write the camera refuses
// is noted (with the value the camera kept) instead of ending the whole operation.
class CCamera::SettingWriter {
 public:
  explicit SettingWriter(acq::Device& device) : device_(device) {}

  template <typename T>
  bool Write(const char* list, const char* name, T value) {
    try {
      Find(list, name).write(value);
      return true;
    } catch (const acq::ImpactAcquireException& e) {
      refusals_.push_back(L"\"" + Widen(name) + L"\" = " + Format(value) + L" (" + Widen(e.what()) + L")");
      return false;
    }
  }

  int ReadInt(const char* list, const char* name, int fallback) noexcept {
    try {
      return Find(list, name).readI();
    } catch (...) {
      return fallback;
    }
  }

  double ReadDouble(const char* list, const char* name, double fallback) noexcept {
    try {
      return Find(list, name).readF();
    } catch (...) {
      return fallback;
    }
  }

  const std::vector<std::wstring>& Refusals() const { return refusals_; }

 private:
  acq::Property Find(const char* list, const char* name) const {
    acq::ComponentList at = device_.setting("Base");
    std::string path = list;
    for (std::size_t start = 0; start < path.size();) {
      const std::size_t slash = std::min(path.find('/', start), path.size());
      at = at.list(path.substr(start, slash - start));
      start = slash + 1;
    }
    return at.property(name);
  }

  acq::Device& device_;  // not owned
  std::vector<std::wstring> refusals_;
};

CCamera::CCamera(AppState& state, CameraNotifier notifier)
    : state_(state),
      notify_(notifier ? std::move(notifier) : MessageBoxNotifier()),
      frameEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      stopEvent_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
  current_.version = 1;
}

CCamera::~CCamera() { Close(); }

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
    notify_(CantFindCameraText(), ProgramName(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  manager_->updateDeviceList();
  if (manager_->deviceCount() == 0) {
    manager_.reset();
    notify_(CantFindCameraText(), ProgramName(), MB_OK | MB_ICONEXCLAMATION);
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
  ::ResetEvent(frameEvent_.get());
  StopAcquisition();
  device_ = nullptr;
  manager_.reset();  // closes the device and shuts the SDK down
  std::lock_guard frameLock(frameLock_);
  staging_.reset();
  stagingSize_ = 0;
}

std::wstring CCamera::CantFindCameraText() const {
  wchar_t text[256] = {};
  if (::LoadStringW(state_.resourceLibrary, IDS_CANT_FIND_CAMERA, text, 256) > 0) return text;
  return L"Can't find camera.";
}

void CCamera::LoadRecord() {
  PropertyRecord r{};
  LONG result = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &r.version, sizeof r.version);
  if (result == ERROR_SUCCESS)
    result = ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &r, sizeof r);
  if (result != ERROR_SUCCESS) {
    // A failed query may leave the buffer undefined: start again from zeros.
    r = PropertyRecord{};
    SetDefaults(r);
    // Nothing stored is a first run; something stored that cannot be read is worth saying,
    // since the defaults are about to replace it.
    if (result != ERROR_FILE_NOT_FOUND)
      notify_(L"The stored camera settings could not be read, so the camera starts with its default settings.",
              L"Error", MB_OK | MB_ICONWARNING);
  }
  current_ = r;
}

void CCamera::SaveRecord() noexcept {
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &current_.version,
                     sizeof current_.version);
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &current_, sizeof current_);
}

void CCamera::ReportRefusals(const SettingWriter& writer) {
  if (writer.Refusals().empty()) return;
  std::wstring text = L"The camera refused these settings and keeps its own values:";
  for (const std::wstring& r : writer.Refusals()) text += L"\n" + r;
  notify_(text, L"Error", MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------------------------------
// Settings

void CCamera::ApplyProperties(const PropertyRecord& record, bool force) {
  if (!device_) return;
  PropertyRecord r = record;
  const PropertyRecord p = current_;
  SettingWriter w(*device_);
  // Doubles compare exactly; NaN compares unequal, so it counts as changed.
  const auto changed = [force](auto a, auto b) { return force || a != b; };
  const auto writeInt = [&](const char* list, const char* name, std::int32_t& field, std::int32_t previous) {
    if (!w.Write(list, name, static_cast<int>(field))) field = w.ReadInt(list, name, previous);
  };
  const auto writeDouble = [&](const char* list, const char* name, double& field, double previous) {
    if (!w.Write(list, name, field)) field = w.ReadDouble(list, name, previous);
  };
  const auto controllerSettings = [&] {
    w.Write(kAutoList, "ControllerSpeed", 2);
    w.Write(kAutoList, "ControllerDelay_Images", 1);
    w.Write(kAutoList, "DesiredAverageGreyValue", 128);
    w.Write(kAutoList, "AoiMode", 0);
  };

  if (changed(r.resolutionIndex, p.resolutionIndex)) ChangeResolution(r, p, w);

  if (changed(r.exposureLowerLimit, p.exposureLowerLimit))
    writeInt(kAutoList, "ExposeLowerLimit_us", r.exposureLowerLimit, p.exposureLowerLimit);
  if (changed(r.exposureUpperLimit, p.exposureUpperLimit))
    writeInt(kAutoList, "ExposeUpperLimit_us", r.exposureUpperLimit, p.exposureUpperLimit);
  if (changed(r.autoExposure, p.autoExposure)) {
    controllerSettings();
    writeInt(kCameraList, "AutoExposeControl", r.autoExposure, p.autoExposure);
  }
  if (changed(r.exposureTime, p.exposureTime) || r.autoExposure == 0)
    writeInt(kCameraList, "Expose_us", r.exposureTime, p.exposureTime);

  if (changed(r.gainLowerLimit, p.gainLowerLimit))
    writeDouble(kAutoList, "GainLowerLimit_dB", r.gainLowerLimit, p.gainLowerLimit);
  if (changed(r.gainUpperLimit, p.gainUpperLimit))
    writeDouble(kAutoList, "GainUpperLimit_dB", r.gainUpperLimit, p.gainUpperLimit);
  if (changed(r.autoGain, p.autoGain)) {
    controllerSettings();
    writeInt(kCameraList, "AutoGainControl", r.autoGain, p.autoGain);
  }
  if (changed(r.gain, p.gain) || r.autoGain == 0) writeDouble(kCameraList, "Gain_dB", r.gain, p.gain);

  if (changed(r.totalGain, p.totalGain)) writeDouble(kWhiteBalanceList, "TotalGain", r.totalGain, p.totalGain);
  if (changed(r.redGain, p.redGain)) writeDouble(kWhiteBalanceList, "RedGain", r.redGain, p.redGain);
  if (changed(r.greenGain, p.greenGain)) writeDouble(kWhiteBalanceList, "GreenGain", r.greenGain, p.greenGain);
  if (changed(r.blueGain, p.blueGain)) writeDouble(kWhiteBalanceList, "BlueGain", r.blueGain, p.blueGain);

  if (changed(r.mono, p.mono) &&
      !w.Write(kProcessingList, "ColorProcessing", r.mono != 0 ? kColourProcessingMono : kColourProcessingColour)) {
    r.mono = w.ReadInt(kProcessingList, "ColorProcessing", p.mono != 0 ? kColourProcessingMono : 0) ==
                     kColourProcessingMono
                 ? 1
                 : 0;
  }

  const auto writeMirror = [&] {
    const bool modeTaken = w.Write(kMirrorList, "MirrorOperationMode", 0);
    const int wanted = 1 * r.flipVertical + 2 * r.flipHorizontal;
    if (!w.Write(kMirrorList, "MirrorModeGlobal", wanted) || !modeTaken) {
      const int has = w.ReadInt(kMirrorList, "MirrorModeGlobal", 1 * p.flipVertical + 2 * p.flipHorizontal);
      r.flipVertical = has & 1;
      r.flipHorizontal = (has >> 1) & 1;
    }
  };
  if (changed(r.flipVertical, p.flipVertical)) writeMirror();
  if (changed(r.flipHorizontal, p.flipHorizontal)) writeMirror();

  if (changed(r.gainOffset, p.gainOffset)) {
    w.Write(kKneeList, "GainOffsetKneeEnable", 1);
    writeDouble(kKneeList, "GainOffsetKneeMasterOffset_pc", r.gainOffset, p.gainOffset);
  }

  current_ = r;
  SaveRecord();
  ReportRefusals(w);
}

void CCamera::ChangeResolution(PropertyRecord& r, const PropertyRecord& previous, SettingWriter& w) {
  const bool wasRunning = !stopped_;
  if (wasRunning) StopAcquisition();
  {
    // Buffer lock first, frame lock second, as everywhere.
    std::lock_guard bufferLock(state_.frameBuffer.BufferLock());
    std::lock_guard frameLock(frameLock_);
    int width = width_, height = height_;
    if (r.resolutionIndex >= 0 && r.resolutionIndex < kResolutionCount) {
      width = kResolutions[r.resolutionIndex].width;
      height = kResolutions[r.resolutionIndex].height;
    } else {
      // Not a resolution of the camera: it keeps the one it has, and so does the record.
      const int index = ResolutionIndexOf(width, height);
      r.resolutionIndex = index >= 0 ? index : previous.resolutionIndex;
    }
    const AreaOfInterest aoi = CentredAoi(width, height);
    bool taken = w.Write(kAoiList, "X", aoi.x);
    taken = w.Write(kAoiList, "Y", aoi.y) && taken;
    taken = w.Write(kAoiList, "W", aoi.width) && taken;
    taken = w.Write(kAoiList, "H", aoi.height) && taken;
    if (!taken) {
      // The buffers must match what the camera will really deliver.
      width = w.ReadInt(kAoiList, "W", width_);
      height = w.ReadInt(kAoiList, "H", height_);
      const int index = ResolutionIndexOf(width, height);
      if (index >= 0) r.resolutionIndex = index;
    }
    width_ = width;
    height_ = height;
    stagingSize_ = ComputeFrameLayout(width, height, 24).imageSize;
    staging_.reset();
    staging_ = std::make_unique_for_overwrite<std::uint8_t[]>(stagingSize_);
    state_.frameBuffer.Fit(width, height, 24);
  }
  if (wasRunning) StartAcquisition();
}

void CCamera::OnePushWhiteBalance(PropertyRecord* record) {
  if (!device_) return;
  SettingWriter w(*device_);
  if (!w.Write(kProcessingList, "WhiteBalanceCalibration", 1)) {
    ReportRefusals(w);
    return;
  }
  for (int i = 0; i < kOnePushFrames; ++i) {
    ::ResetEvent(frameEvent_.get());
    if (::WaitForSingleObject(frameEvent_.get(), kGrabTimeoutMs) != WAIT_OBJECT_0) return;
  }
  if (record == nullptr) return;
  record->redGain = w.ReadDouble(kWhiteBalanceList, "RedGain", record->redGain);
  record->greenGain = w.ReadDouble(kWhiteBalanceList, "GreenGain", record->greenGain);
  record->blueGain = w.ReadDouble(kWhiteBalanceList, "BlueGain", record->blueGain);
  current_ = *record;
  SaveRecord();
}

// ---------------------------------------------------------------------------------------
// Acquisition

bool CCamera::StartAcquisition() {
  if (!device_) return false;
  if (thread_) {
    // A thread that ended by itself (an SDK failure) is collected here, so play works again.
    if (!stopped_ || ::WaitForSingleObject(thread_.get(), 0) != WAIT_OBJECT_0) return false;
    thread_.reset();
  }
  if (!stopped_) return false;
  stopped_ = false;
  ::ResetEvent(stopEvent_.get());
  HANDLE thread = ::CreateThread(nullptr, 0, &CCamera::AcquisitionThreadEntry, this, 0, &threadId_);
  if (thread == nullptr) {
    stopped_ = true;
    ::SetEvent(stopEvent_.get());
    return false;
  }
  thread_.reset(thread);
  return true;
}

bool CCamera::StopAcquisition() {
  if (!thread_) return false;
  ::ResetEvent(frameEvent_.get());
  stopped_ = true;
  ::SetEvent(stopEvent_.get());
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  threadId_ = 0;
  return true;
}

bool CCamera::GrabFrame(std::uint8_t* destination, std::size_t destinationBytes) noexcept {
  ::ResetEvent(frameEvent_.get());
  if (destination == nullptr || stopped_) return false;
  const HANDLE events[] = {frameEvent_.get(), stopEvent_.get()};
  if (::WaitForMultipleObjects(2, events, FALSE, kGrabTimeoutMs) != WAIT_OBJECT_0) return false;
  std::lock_guard frameLock(frameLock_);
  const std::size_t bytes = ComputeFrameLayout(width_, height_, 24).imageSize;
  if (bytes == 0 || destinationBytes != bytes || stagingSize_ != bytes) return false;
  const std::int64_t start = Ticks();
  std::memcpy(destination, staging_.get(), bytes);
  grabCopyTicks_ = Ticks() - start;
  grabbedRequestAt_ = stagedRequestAt_;
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
  camera->stopped_ = true;
  ::SetEvent(camera->stopEvent_.get());
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

  while (!stopped_) {
    const int n = fi.imageRequestWaitFor(kRequestWaitMs, 0);
    if (n < 0) continue;  // a timeout: wait again
    const std::int64_t requestAt = Ticks();
    fi.updateRequests();
    const acq::Request* request = fi.getRequest(n);
    if (request != nullptr && request->requestResult() == acq::kRequestOk && request->imageData() != nullptr) {
      StoreFrame(request->imageData(), request->imageSize(), requestAt);
    }
    // The newest image stays locked until the next one arrives.
    if (cleanup.locked >= 0) fi.imageRequestUnlock(cleanup.locked);
    cleanup.locked = n;
    fi.imageRequestSingle(0);
  }
}

void CCamera::StoreFrame(const void* data, std::size_t size, std::int64_t requestAt) {
  {
    std::lock_guard frameLock(frameLock_);
    // An image of another size (one taken before a resolution change) is dropped.
    if (!staging_ || size != stagingSize_) return;
    const std::int64_t start = Ticks();
    std::memcpy(staging_.get(), data, size);
    storeCopyTicks_ = Ticks() - start;
    stagedRequestAt_ = requestAt;
  }
  ::SetEvent(frameEvent_.get());
}
