#pragma once
// What the camera session's parts share: the lists of the setting "Base" they write to, the
// values they write, and the writer that notes refusals instead of ending an operation.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "camera/sdk/acquire.h"

namespace camera_detail {

namespace acq = mvIMPACT::acquire;

// Lists within the setting "Base".
inline constexpr const char* kCameraList = "Camera";
inline constexpr const char* kAoiList = "Camera/Aoi";
inline constexpr const char* kAutoList = "Camera/AutoControlParameters";
inline constexpr const char* kProcessingList = "ImageProcessing";
inline constexpr const char* kMirrorList = "ImageProcessing/Mirror";
inline constexpr const char* kKneeList = "ImageProcessing/GainOffsetKnee";
inline constexpr const char* kWhiteBalanceList = "ImageProcessing/WhiteBalanceSettings-1";

inline constexpr int kPixelFormatBgr24 = 10;
inline constexpr int kWhiteBalanceUser1 = 6;
inline constexpr int kColourProcessingColour = 2;
inline constexpr int kColourProcessingMono = 3;

inline std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

inline std::wstring Format(int v) { return std::to_wstring(v); }
inline std::wstring Format(double v) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%g", v);
  return text;
}

}  // namespace camera_detail

// Writes properties of the setting "Base" by list path and name. A write the camera refuses
// is noted (with the value the camera kept) instead of ending the whole operation.
class CCamera::SettingWriter {
 public:
  explicit SettingWriter(camera_detail::acq::Device& device) : device_(device) {}

  template <typename T>
  bool Write(const char* list, const char* name, T value) {
    try {
      Find(list, name).write(value);
      return true;
    } catch (const camera_detail::acq::ImpactAcquireException& e) {
      refusals_.push_back(L"\"" + camera_detail::Widen(name) + L"\" = " + camera_detail::Format(value) + L" (" +
                          camera_detail::Widen(e.what()) + L")");
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
  camera_detail::acq::Property Find(const char* list, const char* name) const {
    camera_detail::acq::ComponentList at = device_.setting("Base");
    std::string path = list;
    for (std::size_t start = 0; start < path.size();) {
      const std::size_t slash = std::min(path.find('/', start), path.size());
      at = at.list(path.substr(start, slash - start));
      start = slash + 1;
    }
    return at.property(name);
  }

  camera_detail::acq::Device& device_;  // not owned
  std::vector<std::wstring> refusals_;
};
