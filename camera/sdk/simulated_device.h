#pragma once
// Inside the stand-in SDK: the driver (device list and configuration) and one simulated
// camera (its properties, request queue and sensor thread). Not part of the SDK interface.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "camera/sdk/frame_log.h"
#include "camera/sdk/sensor_image.h"

namespace mvIMPACT::acquire::detail {

// Read from the environment when a device manager is created (camera/sdk/README.md).
struct SimulatorConfig {
  int cameras = 1;
  bool initFails = false;
  bool openFails = false;
  int openDelayMs = 0;  // a slow camera: opening takes this long
  double framesPerSecond = 15.0;
  int badResultEvery = 0;          // 0: never
  bool copyWholeFrames = false;    // each frame copied whole from the developed chart, as before (benchmarks)
  std::int64_t unplugAfter = -1;   // frames; -1: never
  int replugAfterMs = -1;          // after the unplug; -1: never
  int unplugEveryMs = -1;          // plugged in this long, then out for replugAfterMs, again and again; -1: never
  int arriveAfterMs = -1;          // one camera more, after the driver started; -1: never
  std::set<std::string> rejected;  // property names whose writes throw
  std::wstring frameLog;           // where to log each good frame; empty: nowhere
  // Faults of the sensor and its optics; all off by default.
  q7sim::Scene scene = q7sim::Scene::Chart;
  double vignette = 0.0;  // the light lost at the farthest corner, 0 to 1
  int darkPattern = 0;    // mean of the fixed offset per pixel, grey levels
  double noise = 0.0;     // standard deviation of the noise at 0 dB, grey levels
};
SimulatorConfig ReadSimulatorConfig();

// Where a camera that is plugged in for `inMs` and then out for `outMs` (-1: for good), again
// and again, stands `elapsedMs` after it was first plugged in: the how-manieth plug-in it is
// in or after (from 0), and whether it is in now.
struct PlugPhase {
  std::int64_t plugIn = 0;
  bool present = true;
  bool operator==(const PlugPhase&) const = default;
};
PlugPhase RepeatedPlugPhase(std::int64_t elapsedMs, int inMs, int outMs);

struct PropertyValue {
  bool isDouble = false;
  int i = 0;
  double f = 0.0;
  double min = 0.0, max = 0.0;
  int step = 1;                 // ints: value - min must be a multiple
  std::vector<int> enumValues;  // ints: when not empty, the only values taken
};

class DeviceState {
 public:
  DeviceState(unsigned int index, const SimulatorConfig& config);
  ~DeviceState();
  DeviceState(const DeviceState&) = delete;
  DeviceState& operator=(const DeviceState&) = delete;

  unsigned int Index() const { return index_; }
  const std::string& Serial() const { return serial_; }
  void Open();  // throws while the camera is unplugged
  void Close() noexcept;
  bool IsOpen() const;
  // False from an unplug (Q7SIM_UNPLUG_AFTER, Q7SIM_UNPLUG_EVERY_MS) until the replug, if one comes.
  bool IsPresent() const;

  bool HasList(const std::string& path) const;
  bool HasProperty(const std::string& path) const;
  PropertyValue Read(const std::string& path) const;                           // throws
  void Write(const std::string& path, const std::string& name, int value);     // throws
  void Write(const std::string& path, const std::string& name, double value);  // throws

  int QueueRequest();
  int WaitForRequest(int timeoutMs);
  int UnlockRequest(int number);
  int ResetQueue();
  int RequestCount() const;
  struct RequestView {
    int result;
    std::size_t size;
    const void* data;
  };
  bool ViewRequest(int number, RequestView& view) const;
  std::uint64_t FramesDelivered() const;

 private:
  enum class SlotState { Idle, Queued, Capturing, Ready, Locked };
  struct Slot {
    SlotState state = SlotState::Idle;
    int result = 0;
    std::size_t size = 0;
    std::vector<std::uint8_t> buffer;
    // What the buffer holds beyond the developed chart: the settings it was developed with
    // and the frame whose moving objects are drawn on it. Sensor thread only.
    std::optional<q7sim::ImageSettings> developedFor;
    std::uint64_t drawnFrame = 0;
  };
  struct FrameParameters;

  void AddLists();
  void AddInt(const std::string& path, int value, int min, int max, int step = 1);
  void AddEnum(const std::string& path, int value, std::vector<int> values);
  void AddDouble(const std::string& path, double value, double min, double max);
  void WriteChecked(const std::string& path, const std::string& name, bool isDouble, int i, double f);
  int IntAt(const std::string& path) const;
  double DoubleAt(const std::string& path) const;
  FrameParameters SnapshotLocked() const;
  void SensorLoop();
  void CaptureOne(std::unique_lock<std::mutex>& lock);
  void UnplugIfDueLocked();
  bool IsPresentLocked() const;
  PlugPhase RepeatedPlugPhaseNow() const;

  const unsigned int index_;
  const SimulatorConfig config_;
  const std::string serial_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;  // results, captures finished, stop requests
  bool open_ = false;
  bool stopSensor_ = false;
  std::map<std::string, PropertyValue> properties_;
  std::set<std::string> lists_;
  std::vector<Slot> slots_;
  std::deque<int> queued_;
  std::deque<int> results_;
  std::uint64_t delivered_ = 0;  // frames handed out, good or bad
  // The unplug happens once in the life of the device; the session open at that moment
  // delivers nothing more, even after the replug, until the device is opened again.
  bool unplugged_ = false;
  std::chrono::steady_clock::time_point unpluggedAt_;
  // Q7SIM_UNPLUG_EVERY_MS: plugged in first at creation; the open session is lost once the
  // plug-in it was opened in ends.
  const std::chrono::steady_clock::time_point pluggedInAt_ = std::chrono::steady_clock::now();
  std::int64_t openedInPlugIn_ = 0;
  bool sessionLost_ = false;
  int controllerCountdown_ = 0;
  // The chart developed with the last frame's settings: only the moving objects differ from
  // frame to frame, so a slot's buffer is developed once per change of settings and then
  // only has its moving objects undone and drawn again, as a camera's DMA costs the host
  // nothing. Sensor thread only.
  std::vector<std::uint8_t> developed_;
  std::optional<q7sim::ImageSettings> developedFor_;
  FrameLog frameLog_;        // sensor thread only, and Close after it ended
  q7sim::NoiseTable noise_;  // for the gain in use; sensor thread only
  std::thread sensor_;
};

// The cameras one device manager sees: Q7SIM_CAMERAS from the start, and one more once
// Q7SIM_ARRIVE_AFTER_MS has passed. A camera, once seen, stays (unplugged or not).
class DriverState {
 public:
  explicit DriverState(const SimulatorConfig& config);
  ~DriverState();
  // Every camera plugged in so far, in the order they came; callable from any thread.
  std::vector<std::shared_ptr<DeviceState>> Devices();

 private:
  const SimulatorConfig config_;
  const std::chrono::steady_clock::time_point started_;
  std::mutex mutex_;
  std::vector<std::shared_ptr<DeviceState>> devices_;
  bool arrived_ = false;  // the late camera is in devices_
};

// The driver of the device manager that exists now, if any (for the simulator's test hook).
std::shared_ptr<DriverState> CurrentDriver();
void SetCurrentDriver(const std::shared_ptr<DriverState>& driver);

// Records an accepted write when recording is on (simulator_control.h).
void RecordWrite(const std::string& path, const std::string& name, bool isDouble, int i, double f);

// The scene a simulated camera of this configuration shows, made on first use and kept for
// the process.
const q7sim::Picture& SceneChart(const SimulatorConfig& config);

}  // namespace mvIMPACT::acquire::detail
