#include "camera/sdk/acquire.h"

#include "camera/sdk/simulated_device.h"

namespace mvIMPACT::acquire {

ImpactAcquireException::ImpactAcquireException(std::string operation, int errorCode, std::string detail)
    : operation_(std::move(operation)), errorCode_(errorCode), detail_(std::move(detail)) {
  message_ = operation_ + " (error " + std::to_string(errorCode_) + ")";
  if (!detail_.empty()) message_ += ": " + detail_;
}

// ---------------------------------------------------------------------------------------

Property::Property(std::shared_ptr<detail::DeviceState> device, std::string path, std::string name)
    : device_(std::move(device)), path_(std::move(path)), name_(std::move(name)) {}

bool Property::isDouble() const { return device_->Read(path_).isDouble; }

int Property::readI() const {
  const detail::PropertyValue v = device_->Read(path_);
  if (v.isDouble) throw ImpactAcquireException("Read property", kErrorWrongType, path_);
  return v.i;
}

double Property::readF() const {
  const detail::PropertyValue v = device_->Read(path_);
  if (!v.isDouble) throw ImpactAcquireException("Read property", kErrorWrongType, path_);
  return v.f;
}

void Property::write(int value) { device_->Write(path_, name_, value); }
void Property::write(double value) { device_->Write(path_, name_, value); }

ComponentList::ComponentList(std::shared_ptr<detail::DeviceState> device, std::string path)
    : device_(std::move(device)), path_(std::move(path)) {}

ComponentList ComponentList::list(const std::string& name) const {
  const std::string path = path_ + "/" + name;
  if (!device_->HasList(path)) throw ImpactAcquireException("Find list", kErrorNotFound, path);
  return ComponentList(device_, path);
}

Property ComponentList::property(const std::string& name) const {
  const std::string path = path_ + "/" + name;
  if (!device_->HasProperty(path)) throw ImpactAcquireException("Find property", kErrorNotFound, path);
  return Property(device_, path, name);
}

// ---------------------------------------------------------------------------------------

Device::Device(std::shared_ptr<detail::DeviceState> state) : state_(std::move(state)) {}
Device::~Device() = default;

void Device::open() { state_->Open(); }
void Device::close() noexcept { state_->Close(); }
bool Device::isOpen() const noexcept { return state_->IsOpen(); }
TDeviceState Device::state() const noexcept { return state_->IsPresent() ? dsPresent : dsAbsent; }
const std::string& Device::serial() const noexcept { return state_->Serial(); }

const std::string& Device::product() const noexcept {
  static const std::string name = "TK Lumora-Q7";
  return name;
}

ComponentList Device::setting(const std::string& name) const {
  if (!state_->HasList(name)) throw ImpactAcquireException("Find setting", kErrorNotFound, name);
  return ComponentList(state_, name);
}

ComponentList Device::systemSettings() const { return ComponentList(state_, "SystemSettings"); }

// ---------------------------------------------------------------------------------------

DeviceManager::DeviceManager() {
  const detail::SimulatorConfig config = detail::ReadSimulatorConfig();
  if (config.initFails) throw ImpactAcquireException("DMR_Init failed", kErrorInitFailed);
  driver_ = std::make_shared<detail::DriverState>(config);
  updateDeviceList();
  detail::SetCurrentDriver(driver_);
}

DeviceManager::~DeviceManager() {
  for (const auto& device : devices_) device->close();
  if (detail::CurrentDriver() == driver_) detail::SetCurrentDriver(nullptr);
}

void DeviceManager::updateDeviceList() {
  const auto plugged = driver_->Devices();
  // Device objects are not movable: a new one for each newcomer, the others stay where they are.
  for (std::size_t i = devices_.size(); i < plugged.size(); ++i)
    devices_.push_back(std::unique_ptr<Device>(new Device(plugged[i])));
}

unsigned int DeviceManager::deviceCount() const noexcept { return static_cast<unsigned int>(devices_.size()); }

Device* DeviceManager::getDevice(unsigned int index) const noexcept {
  return index < devices_.size() ? devices_[index].get() : nullptr;
}

// ---------------------------------------------------------------------------------------

FunctionInterface::FunctionInterface(Device* device) {
  if (device == nullptr || !device->isOpen()) throw ImpactAcquireException("Bind function interface", kErrorNotOpen);
  device_ = device->state_;
  updateRequests();
}

FunctionInterface::~FunctionInterface() = default;

int FunctionInterface::imageRequestSingle(int requestControl) {
  if (requestControl != 0) return kErrorInvalidParameter;
  return device_->QueueRequest();
}

int FunctionInterface::imageRequestWaitFor(int timeoutMs, int queue) {
  if (queue != 0) return kErrorInvalidParameter;
  return device_->WaitForRequest(timeoutMs);
}

int FunctionInterface::imageRequestUnlock(int requestNumber) { return device_->UnlockRequest(requestNumber); }

int FunctionInterface::imageRequestReset(int requestControl, int mode) {
  if (requestControl != 0 || mode != 0) return kErrorInvalidParameter;
  return device_->ResetQueue();
}

void FunctionInterface::updateRequests() {
  const int count = device_->RequestCount();
  if (count != requestCount_) {
    requests_ = std::make_unique<Request[]>(static_cast<std::size_t>(count));
    requestCount_ = count;
  }
}

int FunctionInterface::requestCount() const noexcept { return requestCount_; }

const Request* FunctionInterface::getRequest(int requestNumber) {
  detail::DeviceState::RequestView view{};
  if (requestNumber < 0 || requestNumber >= requestCount_ || !device_->ViewRequest(requestNumber, view)) return nullptr;
  Request& r = requests_[static_cast<std::size_t>(requestNumber)];
  r.result_ = view.result;
  r.size_ = view.size;
  r.data_ = view.data;
  return &r;
}

}  // namespace mvIMPACT::acquire
