#include "camera/sdk/simulated_device.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "camera/sdk/acquire.h"

namespace mvIMPACT::acquire::detail {
namespace {

// GetEnvironmentVariable, not getenv: the C runtime's copy misses SetEnvironmentVariable.
bool Env(const char* name, std::string& value) {
  char buffer[512];
  const DWORD n = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (n == 0 || n >= sizeof buffer) return false;
  value.assign(buffer, n);
  return true;
}

double EnvNumber(const char* name, double fallback) {
  std::string text;
  if (!Env(name, text)) return fallback;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  return end != text.c_str() ? v : fallback;
}

constexpr const char* kCamera = "Base/Camera";
constexpr const char* kAoi = "Base/Camera/Aoi";
constexpr const char* kAuto = "Base/Camera/AutoControlParameters";
constexpr const char* kProcessing = "Base/ImageProcessing";

// A delay in milliseconds, up to an hour; unset or negative: -1 (never).
int EnvDelayMs(const char* name) {
  const double v = EnvNumber(name, -1);
  return v < 0 ? -1 : static_cast<int>(std::min(v, 3600000.0));
}

std::string Join(const char* list, const char* name) { return std::string(list) + "/" + name; }

std::string WhiteBalanceList(int user) {
  return std::string(kProcessing) + "/WhiteBalanceSettings-" + std::to_string(user);
}

std::string FormatValue(bool isDouble, int i, double f) {
  char text[64];
  if (isDouble) {
    std::snprintf(text, sizeof text, "%g", f);
  } else {
    std::snprintf(text, sizeof text, "%d", i);
  }
  return text;
}

}  // namespace

SimulatorConfig ReadSimulatorConfig() {
  SimulatorConfig c;
  c.cameras = std::clamp(static_cast<int>(EnvNumber("Q7SIM_CAMERAS", 1)), 0, 8);
  c.initFails = EnvNumber("Q7SIM_INIT_FAIL", 0) != 0;
  c.openFails = EnvNumber("Q7SIM_OPEN_FAIL", 0) != 0;
  c.openDelayMs = std::clamp(static_cast<int>(EnvNumber("Q7SIM_OPEN_DELAY_MS", 0)), 0, 60000);
  c.framesPerSecond = std::clamp(EnvNumber("Q7SIM_FPS", 15.0), 0.5, 1000.0);
  c.badResultEvery = std::max(static_cast<int>(EnvNumber("Q7SIM_BAD_RESULT_EVERY", 0)), 0);
  c.copyWholeFrames = EnvNumber("Q7SIM_COPY_WHOLE_FRAMES", 0) == 1;
  c.unplugAfter = static_cast<std::int64_t>(EnvNumber("Q7SIM_UNPLUG_AFTER", -1));
  c.replugAfterMs = EnvDelayMs("Q7SIM_REPLUG_AFTER_MS");
  c.unplugEveryMs = EnvDelayMs("Q7SIM_UNPLUG_EVERY_MS");
  if (c.unplugEveryMs == 0) c.unplugEveryMs = -1;  // never in at all is no camera: Q7SIM_CAMERAS=0
  c.arriveAfterMs = EnvDelayMs("Q7SIM_ARRIVE_AFTER_MS");
  wchar_t logPath[MAX_PATH] = L"";
  const DWORD logLength = ::GetEnvironmentVariableW(L"Q7SIM_FRAME_LOG", logPath, MAX_PATH);
  if (logLength > 0 && logLength < MAX_PATH) c.frameLog = logPath;
  std::string scene;
  if (Env("Q7SIM_SCENE", scene)) {
    if (scene == "flat") c.scene = q7sim::Scene::Flat;
    if (scene == "dark") c.scene = q7sim::Scene::Dark;
  }
  c.vignette = std::clamp(EnvNumber("Q7SIM_VIGNETTE", 0.0), 0.0, 1.0);
  c.darkPattern = std::clamp(static_cast<int>(EnvNumber("Q7SIM_DARK_PATTERN", 0)), 0, 64);
  c.noise = std::clamp(EnvNumber("Q7SIM_NOISE", 0.0), 0.0, 64.0);
  std::string names;
  if (Env("Q7SIM_REJECT_PROPERTY", names)) {
    std::size_t start = 0;
    while (start <= names.size()) {
      const std::size_t comma = std::min(names.find(',', start), names.size());
      if (comma > start) c.rejected.insert(names.substr(start, comma - start));
      start = comma + 1;
    }
  }
  return c;
}

PlugPhase RepeatedPlugPhase(std::int64_t elapsedMs, int inMs, int outMs) {
  if (inMs <= 0 || elapsedMs < inMs) return {0, true};
  if (outMs < 0) return {0, false};
  const std::int64_t cycle = static_cast<std::int64_t>(inMs) + outMs;
  return {elapsedMs / cycle, elapsedMs % cycle < inMs};
}

const q7sim::Picture& SceneChart(const SimulatorConfig& config) {
  // Each is 15 MB: made once per scene and vignetting the process asks for, and kept.
  static std::mutex mutex;
  static std::map<std::pair<q7sim::Scene, double>, std::unique_ptr<q7sim::Picture>> scenes;
  std::lock_guard lock(mutex);
  auto& scene = scenes[{config.scene, config.vignette}];
  if (!scene)
    scene = std::make_unique<q7sim::Picture>(
        q7sim::MakeScene(config.scene, config.vignette, q7sim::kSensorWidth, q7sim::kSensorHeight));
  return *scene;
}

// ---------------------------------------------------------------------------------------
// Properties

DeviceState::DeviceState(unsigned int index, const SimulatorConfig& config)
    : index_(index), config_(config), serial_("Q7SIM" + std::to_string(1000 + index)), frameLog_(config.frameLog) {
  AddLists();
}

DeviceState::~DeviceState() { Close(); }

void DeviceState::AddInt(const std::string& path, int value, int min, int max, int step) {
  PropertyValue v;
  v.i = value, v.min = min, v.max = max, v.step = step;
  properties_[path] = v;
}

void DeviceState::AddEnum(const std::string& path, int value, std::vector<int> values) {
  PropertyValue v;
  v.i = value;
  v.min = *std::min_element(values.begin(), values.end());
  v.max = *std::max_element(values.begin(), values.end());
  v.enumValues = std::move(values);
  properties_[path] = v;
}

void DeviceState::AddDouble(const std::string& path, double value, double min, double max) {
  PropertyValue v;
  v.isDouble = true;
  v.f = value, v.min = min, v.max = max;
  properties_[path] = v;
}

// The power-on state of the camera.
void DeviceState::AddLists() {
  using q7sim::kSensorHeight;
  using q7sim::kSensorWidth;
  lists_ = {"Base",
            kCamera,
            kAoi,
            kAuto,
            "Base/ImageDestination",
            kProcessing,
            "Base/ImageProcessing/Mirror",
            "Base/ImageProcessing/GainOffsetKnee",
            "Base/ImageProcessing/LUTOperations",
            "Base/ImageRequestControl",
            "SystemSettings"};
  properties_.clear();
  AddInt(Join(kCamera, "Expose_us"), q7sim::kNominalExposeUs, 10, 10000000);
  AddDouble(Join(kCamera, "Gain_dB"), 0.0, 0.0, 32.0);
  AddEnum(Join(kCamera, "AutoExposeControl"), 0, {0, 1});
  AddEnum(Join(kCamera, "AutoGainControl"), 0, {0, 1});
  // Widths in steps of 8 keep every row a multiple of 4 bytes; the position and size are
  // checked one by one, the whole rectangle when a frame is taken.
  AddInt(Join(kAoi, "X"), 0, 0, kSensorWidth - 64, 8);
  AddInt(Join(kAoi, "Y"), 0, 0, kSensorHeight - 64, 2);
  AddInt(Join(kAoi, "W"), kSensorWidth, 64, kSensorWidth, 8);
  AddInt(Join(kAoi, "H"), kSensorHeight, 64, kSensorHeight, 2);
  AddEnum(Join(kAuto, "AoiMode"), 0, {0, 1, 2});
  AddInt(Join(kAuto, "DesiredAverageGreyValue"), 100, 0, 255);
  AddEnum(Join(kAuto, "ControllerSpeed"), 1, {0, 1, 2});
  AddInt(Join(kAuto, "ControllerDelay_Images"), 0, 0, 16);
  AddDouble(Join(kAuto, "GainLowerLimit_dB"), 0.0, 0.0, 32.0);
  AddDouble(Join(kAuto, "GainUpperLimit_dB"), 32.0, 0.0, 32.0);
  AddInt(Join(kAuto, "ExposeLowerLimit_us"), 10, 10, 10000000);
  AddInt(Join(kAuto, "ExposeUpperLimit_us"), 500000, 10, 10000000);
  AddEnum("Base/ImageDestination/PixelFormat", 0, {0, 10});        // 0 auto, 10 packed BGR24: both give BGR24 here
  AddEnum(Join(kProcessing, "ColorProcessing"), 0, {0, 1, 2, 3});  // 3: mono, else colour
  AddEnum(Join(kProcessing, "WhiteBalance"), 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});  // 6..9: user settings 1..4
  AddEnum(Join(kProcessing, "WhiteBalanceCalibration"), 0, {0, 1});
  AddEnum("Base/ImageProcessing/Mirror/MirrorOperationMode", 0, {0, 1});
  AddEnum("Base/ImageProcessing/Mirror/MirrorModeGlobal", 0, {0, 1, 2, 3});
  AddEnum("Base/ImageProcessing/GainOffsetKnee/GainOffsetKneeEnable", 0, {0, 1});
  AddDouble("Base/ImageProcessing/GainOffsetKnee/GainOffsetKneeMasterOffset_pc", 0.0, -100.0, 100.0);
  AddEnum("Base/ImageProcessing/LUTOperations/LUTEnable", 0, {0, 1});
  for (int user = 1; user <= 4; ++user) {
    const std::string list = WhiteBalanceList(user);
    lists_.insert(list);
    AddDouble(list + "/TotalGain", 1.0, 0.0, 4.0);
    AddDouble(list + "/RedGain", 1.0, 0.0, 10.0);
    AddDouble(list + "/GreenGain", 1.0, 0.0, 10.0);
    AddDouble(list + "/BlueGain", 1.0, 0.0, 10.0);
  }
  AddEnum("Base/ImageRequestControl/Mode", 0, {0, 1});
  AddInt("SystemSettings/RequestCount", 4, 1, 16);
}

bool DeviceState::HasList(const std::string& path) const { return lists_.count(path) != 0; }
bool DeviceState::HasProperty(const std::string& path) const { return properties_.count(path) != 0; }

template <typename Map>
auto& FindProperty(Map& properties, bool open, const std::string& path, const char* operation) {
  if (!open) throw ImpactAcquireException(operation, kErrorNotOpen, path);
  const auto it = properties.find(path);
  if (it == properties.end()) throw ImpactAcquireException(operation, kErrorNotFound, path);
  return it->second;
}

PropertyValue DeviceState::Read(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return FindProperty(properties_, open_, path, "Read property");
}

void DeviceState::Write(const std::string& path, const std::string& name, int value) {
  WriteChecked(path, name, false, value, 0.0);
}

void DeviceState::Write(const std::string& path, const std::string& name, double value) {
  WriteChecked(path, name, true, 0, value);
}

void DeviceState::WriteChecked(const std::string& path, const std::string& name, bool isDouble, int i, double f) {
  static constexpr const char* kOperation = "Write property";
  std::lock_guard lock(mutex_);
  PropertyValue& p = FindProperty(properties_, open_, path, kOperation);
  const std::string shown = path + " = " + FormatValue(isDouble, i, f);
  if (config_.rejected.count(name) != 0) throw ImpactAcquireException(kOperation, kErrorAccessDenied, shown);
  if (p.isDouble != isDouble) throw ImpactAcquireException(kOperation, kErrorWrongType, shown);
  if (isDouble) {
    if (!(f >= p.min && f <= p.max)) throw ImpactAcquireException(kOperation, kErrorOutOfRange, shown);
    p.f = f;
  } else {
    const bool taken = p.enumValues.empty()
                           ? i >= p.min && i <= p.max && (i - static_cast<int>(p.min)) % p.step == 0
                           : std::find(p.enumValues.begin(), p.enumValues.end(), i) != p.enumValues.end();
    if (!taken) throw ImpactAcquireException(kOperation, kErrorOutOfRange, shown);
    if (path == "SystemSettings/RequestCount") {
      const bool allIdle =
          std::all_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.state == SlotState::Idle; });
      if (!allIdle) throw ImpactAcquireException(kOperation, kErrorAccessDenied, shown + " (requests in use)");
      slots_.resize(static_cast<std::size_t>(i));
    }
    p.i = i;
  }
  RecordWrite(path, name, isDouble, i, f);
}

int DeviceState::IntAt(const std::string& path) const { return properties_.at(path).i; }
double DeviceState::DoubleAt(const std::string& path) const { return properties_.at(path).f; }

// ---------------------------------------------------------------------------------------
// Opening and the sensor

void DeviceState::Open() {
  if (config_.openDelayMs > 0) ::Sleep(static_cast<DWORD>(config_.openDelayMs));
  if (config_.openFails) throw ImpactAcquireException("Open device failed", kErrorOpenFailed, serial_);
  SceneChart(config_);  // made now, so the first frame is not late
  std::lock_guard lock(mutex_);
  if (!IsPresentLocked())
    throw ImpactAcquireException("Open device failed", kErrorNotPresent, serial_ + " is unplugged");
  if (open_) return;
  if (config_.unplugEveryMs > 0) openedInPlugIn_ = RepeatedPlugPhaseNow().plugIn;
  AddLists();
  slots_.assign(static_cast<std::size_t>(IntAt("SystemSettings/RequestCount")), Slot{});
  queued_.clear();
  results_.clear();
  delivered_ = 0;
  controllerCountdown_ = 0;
  sessionLost_ = false;
  open_ = true;
  stopSensor_ = false;
  sensor_ = std::thread([this] { SensorLoop(); });
}

void DeviceState::Close() noexcept {
  {
    std::lock_guard lock(mutex_);
    if (!open_) return;
    open_ = false;
    stopSensor_ = true;
  }
  changed_.notify_all();
  if (sensor_.joinable()) sensor_.join();
  frameLog_.Flush();
  std::lock_guard lock(mutex_);
  for (Slot& s : slots_) s.state = SlotState::Idle;
  queued_.clear();
  results_.clear();
  changed_.notify_all();
}

bool DeviceState::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

bool DeviceState::IsPresent() const {
  std::lock_guard lock(mutex_);
  return IsPresentLocked();
}

PlugPhase DeviceState::RepeatedPlugPhaseNow() const {
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pluggedInAt_);
  return RepeatedPlugPhase(elapsed.count(), config_.unplugEveryMs, config_.replugAfterMs);
}

bool DeviceState::IsPresentLocked() const {
  if (config_.unplugEveryMs > 0) return RepeatedPlugPhaseNow().present;
  if (!unplugged_) return true;
  return config_.replugAfterMs >= 0 &&
         std::chrono::steady_clock::now() >= unpluggedAt_ + std::chrono::milliseconds(config_.replugAfterMs);
}

// After the configured number of frames the cable comes out: at once, so whoever took the
// last frame already finds the camera absent.
void DeviceState::UnplugIfDueLocked() {
  if (config_.unplugEveryMs > 0) {
    const PlugPhase phase = RepeatedPlugPhaseNow();
    if (!phase.present || phase.plugIn != openedInPlugIn_) sessionLost_ = true;
    return;
  }
  if (unplugged_ || config_.unplugAfter < 0 || delivered_ < static_cast<std::uint64_t>(config_.unplugAfter)) return;
  unplugged_ = true;
  unpluggedAt_ = std::chrono::steady_clock::now();
  sessionLost_ = true;
}

std::uint64_t DeviceState::FramesDelivered() const {
  std::lock_guard lock(mutex_);
  return delivered_;
}

struct DeviceState::FrameParameters {
  q7sim::ImageSettings image;
  q7sim::ExposureState exposure;
  q7sim::AutoControl control;
  int controllerDelay = 0;
  int whiteBalanceUser = 0;  // 0: no user white balance
  bool calibrate = false;
};

DeviceState::FrameParameters DeviceState::SnapshotLocked() const {
  FrameParameters f;
  q7sim::ImageSettings& s = f.image;
  s.x = IntAt(Join(kAoi, "X")), s.y = IntAt(Join(kAoi, "Y"));
  s.width = IntAt(Join(kAoi, "W")), s.height = IntAt(Join(kAoi, "H"));
  f.exposure.exposeUs = IntAt(Join(kCamera, "Expose_us"));
  f.exposure.gainDb = DoubleAt(Join(kCamera, "Gain_dB"));
  s.brightness = q7sim::Brightness(f.exposure.exposeUs, f.exposure.gainDb);
  const int balance = IntAt(Join(kProcessing, "WhiteBalance"));
  if (balance >= 6 && balance <= 9) {
    f.whiteBalanceUser = balance - 5;
    const std::string list = WhiteBalanceList(f.whiteBalanceUser);
    const double total = DoubleAt(list + "/TotalGain");
    s.redGain = total * DoubleAt(list + "/RedGain");
    s.greenGain = total * DoubleAt(list + "/GreenGain");
    s.blueGain = total * DoubleAt(list + "/BlueGain");
  }
  if (IntAt("Base/ImageProcessing/GainOffsetKnee/GainOffsetKneeEnable") == 1) {
    s.offset = DoubleAt("Base/ImageProcessing/GainOffsetKnee/GainOffsetKneeMasterOffset_pc") * 2.55;
  }
  s.mono = IntAt(Join(kProcessing, "ColorProcessing")) == 3;
  const int mirror = IntAt("Base/ImageProcessing/Mirror/MirrorModeGlobal");
  s.flipVertical = (mirror & 1) != 0;
  s.flipHorizontal = (mirror & 2) != 0;
  f.calibrate = IntAt(Join(kProcessing, "WhiteBalanceCalibration")) == 1;
  q7sim::AutoControl& c = f.control;
  c.autoExpose = IntAt(Join(kCamera, "AutoExposeControl")) == 1;
  c.autoGain = IntAt(Join(kCamera, "AutoGainControl")) == 1;
  c.exposeLowerUs = IntAt(Join(kAuto, "ExposeLowerLimit_us"));
  c.exposeUpperUs = IntAt(Join(kAuto, "ExposeUpperLimit_us"));
  c.gainLowerDb = DoubleAt(Join(kAuto, "GainLowerLimit_dB"));
  c.gainUpperDb = DoubleAt(Join(kAuto, "GainUpperLimit_dB"));
  c.desiredGrey = IntAt(Join(kAuto, "DesiredAverageGreyValue"));
  c.speed = IntAt(Join(kAuto, "ControllerSpeed"));
  f.controllerDelay = IntAt(Join(kAuto, "ControllerDelay_Images"));
  return f;
}

void DeviceState::SensorLoop() {
  using clock = std::chrono::steady_clock;
  const auto period =
      std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(1.0 / config_.framesPerSecond));
  auto next = clock::now() + period;
  std::unique_lock lock(mutex_);
  while (!stopSensor_) {
    if (changed_.wait_until(lock, next, [this] { return stopSensor_; })) break;
    next += period;
    // A late tick (a slow machine) starts a new rhythm instead of a burst of frames.
    if (next < clock::now()) next = clock::now() + period;
    CaptureOne(lock);
    lock.unlock();  // the file is written without holding up the camera's properties
    frameLog_.FlushIfDue();
    lock.lock();
  }
}

void DeviceState::CaptureOne(std::unique_lock<std::mutex>& lock) {
  UnplugIfDueLocked();  // an unplug after 0 frames
  if (sessionLost_ || queued_.empty()) return;
  const int number = queued_.front();
  queued_.pop_front();
  Slot& slot = slots_[static_cast<std::size_t>(number)];  // RequestCount cannot change while a slot is busy
  slot.state = SlotState::Capturing;
  const std::uint64_t frameNumber = delivered_++;
  const bool bad =
      config_.badResultEvery > 0 && (frameNumber + 1) % static_cast<std::uint64_t>(config_.badResultEvery) == 0;
  const FrameParameters f = SnapshotLocked();
  lock.unlock();

  const q7sim::Picture& chart = SceneChart(config_);
  int result = kRequestOk;
  std::size_t size = 0;
  double grey = 0.0;
  q7sim::ChannelMeans raw;
  if (bad) {
    result = kRequestError;
  } else if (!q7sim::AoiFits(f.image, chart.width, chart.height)) {
    result = kRequestBadAoi;
  } else {
    size = static_cast<std::size_t>(f.image.width) * 3 * static_cast<std::size_t>(f.image.height);
    if (developedFor_ != f.image) {
      developed_.resize(size);
      q7sim::RenderFrame(chart, f.image, developed_.data());
      if (config_.darkPattern > 0) q7sim::AddDarkPattern(f.image, config_.darkPattern, developed_.data());
      developedFor_ = f.image;
    }
    if (config_.noise > 0.0) {
      // Noise changes every pixel of every frame: each is developed whole.
      const double sigma = q7sim::NoiseSigma(config_.noise, f.exposure.gainDb);
      if (noise_.Sigma() != sigma) noise_ = q7sim::NoiseTable(sigma);
      slot.buffer.resize(size);
      noise_.Add(developed_.data(), slot.buffer.data(), size, frameNumber);
      slot.developedFor.reset();
    } else if (slot.developedFor != f.image || config_.copyWholeFrames) {
      slot.buffer.assign(developed_.begin(), developed_.end());
      slot.developedFor = f.image;
    } else {
      q7sim::RestoreMovingObjects(f.image, chart.width, chart.height, slot.drawnFrame, developed_.data(),
                                  slot.buffer.data());
    }
    slot.drawnFrame = frameNumber;
    // An even field and a capped lens show nothing that moves.
    if (config_.scene == q7sim::Scene::Chart)
      q7sim::DrawMovingObjects(f.image, chart.width, chart.height, frameNumber, slot.buffer.data());
    if (f.control.autoExpose || f.control.autoGain) {
      grey = q7sim::MeasureMeans(slot.buffer.data(), f.image.width, f.image.height, f.image.width * 3u, 8).Grey();
    }
    if (f.calibrate) {
      const std::uint8_t* origin = chart.pixels.data() + static_cast<std::size_t>(f.image.y) * chart.Stride() +
                                   static_cast<std::size_t>(f.image.x) * 3;
      raw = q7sim::MeasureMeans(origin, f.image.width, f.image.height, chart.Stride(), 8);
    }
  }

  lock.lock();
  if (result == kRequestOk && (f.control.autoExpose || f.control.autoGain) && --controllerCountdown_ < 0) {
    controllerCountdown_ = f.controllerDelay;
    const q7sim::ExposureState next = q7sim::AutoControlStep(f.exposure, grey, f.control);
    properties_[Join(kCamera, "Expose_us")].i = next.exposeUs;
    properties_[Join(kCamera, "Gain_dB")].f = next.gainDb;
  }
  if (result == kRequestOk && f.calibrate) {
    const std::string list = WhiteBalanceList(f.whiteBalanceUser == 0 ? 1 : f.whiteBalanceUser);
    const q7sim::ColourGains gains = q7sim::NeutralisingGains(raw, 0.0, 10.0);
    properties_[list + "/RedGain"].f = gains.red;
    properties_[list + "/GreenGain"].f = gains.green;
    properties_[list + "/BlueGain"].f = gains.blue;
    properties_[Join(kProcessing, "WhiteBalanceCalibration")].i = 0;
  }
  slot.result = result;
  slot.size = size;
  slot.state = SlotState::Ready;
  if (result == kRequestOk) frameLog_.Add(frameNumber);
  results_.push_back(number);
  UnplugIfDueLocked();
  changed_.notify_all();
}

// ---------------------------------------------------------------------------------------
// The request queue

int DeviceState::QueueRequest() {
  std::lock_guard lock(mutex_);
  if (!open_) return kErrorNotOpen;
  for (std::size_t n = 0; n < slots_.size(); ++n) {
    if (slots_[n].state == SlotState::Idle) {
      slots_[n].state = SlotState::Queued;
      queued_.push_back(static_cast<int>(n));
      return 0;
    }
  }
  return kErrorNoFreeRequest;
}

int DeviceState::WaitForRequest(int timeoutMs) {
  std::unique_lock lock(mutex_);
  const auto ready = [this] { return !results_.empty() || !open_; };
  if (!changed_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)), ready)) return kErrorWaitTimeout;
  if (results_.empty()) return kErrorNotOpen;
  const int number = results_.front();
  results_.pop_front();
  slots_[static_cast<std::size_t>(number)].state = SlotState::Locked;
  return number;
}

int DeviceState::UnlockRequest(int number) {
  std::lock_guard lock(mutex_);
  if (number < 0 || static_cast<std::size_t>(number) >= slots_.size()) return kErrorInvalidRequest;
  Slot& s = slots_[static_cast<std::size_t>(number)];
  if (s.state != SlotState::Locked) return kErrorInvalidRequest;
  s.state = SlotState::Idle;
  return 0;
}

int DeviceState::ResetQueue() {
  std::unique_lock lock(mutex_);
  if (!open_) return kErrorNotOpen;
  // A frame being filled finishes first, so after the reset and a drain nothing is in flight.
  changed_.wait(lock, [this] {
    return !open_ ||
           std::none_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.state == SlotState::Capturing; });
  });
  for (const int number : queued_) {
    Slot& s = slots_[static_cast<std::size_t>(number)];
    s.state = SlotState::Ready;
    s.result = kRequestAborted;
    s.size = 0;
    results_.push_back(number);
  }
  queued_.clear();
  changed_.notify_all();
  return 0;
}

int DeviceState::RequestCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(slots_.size());
}

bool DeviceState::ViewRequest(int number, RequestView& view) const {
  std::lock_guard lock(mutex_);
  if (number < 0 || static_cast<std::size_t>(number) >= slots_.size()) return false;
  const Slot& s = slots_[static_cast<std::size_t>(number)];
  view.result = s.result;
  view.size = s.size;
  view.data = s.buffer.data();
  return true;
}

// ---------------------------------------------------------------------------------------
// The driver

DriverState::DriverState(const SimulatorConfig& config) : config_(config), started_(std::chrono::steady_clock::now()) {
  for (int i = 0; i < config.cameras; ++i)
    devices_.push_back(std::make_shared<DeviceState>(static_cast<unsigned int>(i), config));
}

DriverState::~DriverState() {
  for (const auto& d : devices_) d->Close();
}

std::vector<std::shared_ptr<DeviceState>> DriverState::Devices() {
  std::lock_guard lock(mutex_);
  if (!arrived_ && config_.arriveAfterMs >= 0 &&
      std::chrono::steady_clock::now() >= started_ + std::chrono::milliseconds(config_.arriveAfterMs)) {
    arrived_ = true;
    devices_.push_back(std::make_shared<DeviceState>(static_cast<unsigned int>(devices_.size()), config_));
  }
  return devices_;
}

namespace {
std::mutex g_driverMutex;
std::weak_ptr<DriverState> g_driver;
}  // namespace

std::shared_ptr<DriverState> CurrentDriver() {
  std::lock_guard lock(g_driverMutex);
  return g_driver.lock();
}

void SetCurrentDriver(const std::shared_ptr<DriverState>& driver) {
  std::lock_guard lock(g_driverMutex);
  g_driver = driver;
}

}  // namespace mvIMPACT::acquire::detail
