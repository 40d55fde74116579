#pragma once
// Camera acquisition SDK: the class interface the camera layer uses.
//
// This build links a stand-in library (mvDeviceManager) that simulates the 5-megapixel
// sensor in software; a vendor SDK or another capture back end offering the same classes
// can take its place. How the stand-in behaves, and the environment variables that steer
// it, are described in camera/sdk/README.md.
//
// Errors: creating the device manager, opening a device and every property access throw
// ImpactAcquireException; the request-queue calls return codes instead (>= 0 success).
#include <cstddef>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace mvIMPACT::acquire {

// Negative codes returned by the request-queue calls and carried by exceptions.
enum ErrorCode : int {
  kErrorNone = 0,
  kErrorInitFailed = -2100,        // the driver could not be initialised
  kErrorOpenFailed = -2101,        // the device could not be opened
  kErrorNotOpen = -2102,           // the device is closed
  kErrorNotFound = -2103,          // no list or property of that name
  kErrorOutOfRange = -2104,        // value outside the property's range or not one of its values
  kErrorWrongType = -2105,         // int written to a double property or the other way round
  kErrorAccessDenied = -2106,      // the property cannot be written now
  kErrorWaitTimeout = -2107,       // no request finished within the timeout
  kErrorNoFreeRequest = -2108,     // every request is queued, being filled or locked
  kErrorInvalidRequest = -2109,    // no such request number, or not in a state for this call
  kErrorInvalidParameter = -2110,  // e.g. a request control or queue other than 0
  kErrorNotPresent = -2111,        // the device is unplugged
};

// Whether a listed device is plugged in. A device stays in its manager's list when it is
// unplugged; only its state changes.
enum TDeviceState : int {
  dsAbsent = 0,
  dsPresent = 1,
};

// Values of a request's "Result".
enum RequestResult : int {
  kRequestOk = 0,
  kRequestError = 1,    // the transfer failed; "Data" holds nothing usable
  kRequestAborted = 2,  // cancelled by imageRequestReset
  kRequestBadAoi = 3,   // the area of interest does not fit on the sensor
};

class ImpactAcquireException : public std::exception {
 public:
  ImpactAcquireException(std::string operation, int errorCode, std::string detail = {});
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& getOperation() const noexcept { return operation_; }
  int getErrorCode() const noexcept { return errorCode_; }
  const std::string& getDetail() const noexcept { return detail_; }

 private:
  std::string operation_;
  int errorCode_;
  std::string detail_;
  std::string message_;
};

namespace detail {
class DriverState;
class DeviceState;
}  // namespace detail

// One named property of a device. A cheap handle: copies refer to the same property.
class Property {
 public:
  const std::string& name() const noexcept { return name_; }
  bool isDouble() const;
  int readI() const;
  double readF() const;
  void write(int value);
  void write(double value);

 private:
  friend class ComponentList;
  Property(std::shared_ptr<detail::DeviceState> device, std::string path, std::string name);
  std::shared_ptr<detail::DeviceState> device_;
  std::string path_;  // full path, e.g. "Base/Camera/Aoi/X"
  std::string name_;
};

// A list of properties and sub-lists inside a setting, e.g. "Camera" or "Aoi".
class ComponentList {
 public:
  const std::string& path() const noexcept { return path_; }
  ComponentList list(const std::string& name) const;  // throws when there is none
  Property property(const std::string& name) const;   // throws when there is none

 private:
  friend class Device;
  ComponentList(std::shared_ptr<detail::DeviceState> device, std::string path);
  std::shared_ptr<detail::DeviceState> device_;
  std::string path_;
};

// One camera. Owned by the DeviceManager that lists it.
class Device {
 public:
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  ~Device();

  // Throws ImpactAcquireException ("Open device failed"; kErrorNotPresent while unplugged).
  // A session open when the device was unplugged delivers nothing more: close and open again.
  void open();
  void close() noexcept;
  bool isOpen() const noexcept;
  TDeviceState state() const noexcept;  // now, not as of the last updateDeviceList
  const std::string& serial() const noexcept;
  const std::string& product() const noexcept;

  // A setting of the open device ("Base"), or its system settings ("RequestCount").
  ComponentList setting(const std::string& name) const;
  ComponentList systemSettings() const;

 private:
  friend class DeviceManager;
  friend class FunctionInterface;
  explicit Device(std::shared_ptr<detail::DeviceState> state);
  std::shared_ptr<detail::DeviceState> state_;
};

// Creating it initialises the SDK; destroying it closes every device and shuts the SDK down.
class DeviceManager {
 public:
  DeviceManager();  // throws ImpactAcquireException ("DMR_Init failed")
  DeviceManager(const DeviceManager&) = delete;
  DeviceManager& operator=(const DeviceManager&) = delete;
  ~DeviceManager();

  // Adds the devices plugged in since the last call; listed devices keep their index and
  // their Device object, unplugged or not.
  void updateDeviceList();
  unsigned int deviceCount() const noexcept;
  Device* getDevice(unsigned int index) const noexcept;  // null when out of range; not owned by the caller

 private:
  std::shared_ptr<detail::DriverState> driver_;
  std::vector<std::unique_ptr<Device>> devices_;
};

// A finished image request, valid while its number is locked (until imageRequestUnlock).
class Request {
 public:
  int requestResult() const noexcept { return result_; }    // "Result": kRequestOk for a good image
  std::size_t imageSize() const noexcept { return size_; }  // "Size" in bytes
  const void* imageData() const noexcept { return data_; }  // "Data": packed pixels, rows top first

 private:
  friend class FunctionInterface;
  int result_ = kRequestError;
  std::size_t size_ = 0;
  const void* data_ = nullptr;
};

// The image request queue of an open device.
class FunctionInterface {
 public:
  explicit FunctionInterface(Device* device);  // throws when the device is not open
  ~FunctionInterface();
  FunctionInterface(const FunctionInterface&) = delete;
  FunctionInterface& operator=(const FunctionInterface&) = delete;

  int imageRequestSingle(int requestControl = 0);         // 0, or a negative ErrorCode
  int imageRequestWaitFor(int timeoutMs, int queue = 0);  // a request number >= 0, or a negative ErrorCode
  int imageRequestUnlock(int requestNumber);
  int imageRequestReset(int requestControl, int mode);
  void updateRequests();  // re-reads the request list after "RequestCount" changed
  int requestCount() const noexcept;
  const Request* getRequest(int requestNumber);  // null when out of range

 private:
  std::shared_ptr<detail::DeviceState> device_;
  std::unique_ptr<Request[]> requests_;
  int requestCount_ = 0;
};

}  // namespace mvIMPACT::acquire
