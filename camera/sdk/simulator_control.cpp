#include "camera/sdk/simulator_control.h"

#include <mutex>

#include "camera/sdk/acquire.h"
#include "camera/sdk/simulated_device.h"

namespace mvIMPACT::acquire::detail {
namespace {
std::mutex& LogMutex() {
  static std::mutex m;
  return m;
}
bool g_recording = false;
std::vector<q7sim::PropertyWrite>& Log() {
  static std::vector<q7sim::PropertyWrite> log;
  return log;
}
}  // namespace

void RecordWrite(const std::string& path, const std::string& name, bool isDouble, int i, double f) {
  std::lock_guard lock(LogMutex());
  if (!g_recording) return;
  Log().push_back({path, name, isDouble, i, f});
}
}  // namespace mvIMPACT::acquire::detail

namespace q7sim {
using namespace mvIMPACT::acquire;

void StartRecordingWrites() {
  std::lock_guard lock(detail::LogMutex());
  detail::Log().clear();
  detail::g_recording = true;
}

void StopRecordingWrites() {
  std::lock_guard lock(detail::LogMutex());
  detail::g_recording = false;
}

std::vector<PropertyWrite> RecordedWrites() {
  std::lock_guard lock(detail::LogMutex());
  return detail::Log();
}

void ClearRecordedWrites() {
  std::lock_guard lock(detail::LogMutex());
  detail::Log().clear();
}

namespace {
std::shared_ptr<detail::DeviceState> DeviceAt(unsigned int index) {
  const auto driver = detail::CurrentDriver();
  if (!driver) return nullptr;
  const auto devices = driver->Devices();
  return index < devices.size() ? devices[index] : nullptr;
}
}  // namespace

bool IsDeviceOpen(unsigned int index) {
  const auto device = DeviceAt(index);
  return device && device->IsOpen();
}

std::uint64_t FramesDelivered(unsigned int index) {
  const auto device = DeviceAt(index);
  return device ? device->FramesDelivered() : 0;
}

double ReadProperty(unsigned int index, const std::string& path) {
  const auto device = DeviceAt(index);
  if (!device) throw ImpactAcquireException("ReadProperty", kErrorNotFound, "no such camera");
  const detail::PropertyValue v = device->Read(path);
  return v.isDouble ? v.f : v.i;
}

}  // namespace q7sim
