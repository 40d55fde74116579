#pragma once
// Test hook of the stand-in SDK: not part of the SDK interface (acquire.h), and nothing in
// the program proper may use it. Tests and demonstrations use it to see what the camera layer
// wrote and what the simulated camera is doing. Behaviour switches are environment variables
// (camera/sdk/README.md).
#include <cstdint>
#include <string>
#include <vector>

namespace q7sim {

struct PropertyWrite {
  std::string path;  // list path and name, e.g. "Base/Camera/Aoi/X"
  std::string name;  // e.g. "X"
  bool isDouble = false;
  int intValue = 0;
  double doubleValue = 0.0;
  double Value() const { return isDouble ? doubleValue : intValue; }
};

// Records every property write the simulated cameras accept, in order, process-wide.
// Starting again clears what was recorded.
void StartRecordingWrites();
void StopRecordingWrites();
std::vector<PropertyWrite> RecordedWrites();
void ClearRecordedWrites();

// State of the cameras of the device manager that exists now; false / 0 when there is none.
bool IsDeviceOpen(unsigned int index);
std::uint64_t FramesDelivered(unsigned int index);
// A property of an open camera by its full path, e.g. "Base/Camera/Expose_us"; throws
// mvIMPACT::acquire::ImpactAcquireException when there is no such camera or property.
double ReadProperty(unsigned int index, const std::string& path);

}  // namespace q7sim
