#pragma once
// What the camera session's parts share: the lists of the setting "Base" they write to, the
// values they write, and the writer that notes refusals instead of ending an operation.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "camera/camera.h"
#include "camera/refusal_text.h"
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
// is noted, with the value the camera kept, instead of ending the whole operation.
class CCamera::SettingWriter {
 public:
  // One line of the report to the user; `key` names the property and the value asked for,
  // so the same refusal is told once.
  struct Refusal {
    std::wstring key;
    std::wstring text;
  };

  explicit SettingWriter(camera_detail::acq::Device& device) : device_(device) {}

  // True when the camera has `value` afterwards: also when it refused a value it already had,
  // which leaves nothing to tell.
  template <typename T>
  bool Write(const char* list, const char* name, T value) {
    try {
      Find(list, name).write(value);
      return true;
    } catch (const camera_detail::acq::ImpactAcquireException& e) {
      const std::optional<T> kept = Read<T>(list, name);
      if (kept && *kept == value) return true;
      const std::wstring asked = L"\"" + camera_detail::Widen(name) + L"\" = " + camera_detail::Format(value);
      const std::wstring keeps = kept ? camera_detail::Format(*kept) : std::wstring(L"its own value");
      refusals_.push_back({asked, RefusalReport(name, static_cast<double>(value),
                                                asked + L": the camera keeps " + keeps + L" (" +
                                                    camera_detail::Widen(e.what()) + L")")});
      return false;
    }
  }

  // Writes the integer properties of one list in order, all or nothing: at the first refusal
  // those already written get back the values they had, last first.
  bool WriteAllOrNothing(const char* list, std::initializer_list<std::pair<const char*, int>> values) {
    std::vector<std::pair<const char*, std::optional<int>>> written;
    for (const auto& [name, value] : values) {
      const std::optional<int> had = Read<int>(list, name);
      if (!Write(list, name, value)) {
        for (auto it = written.rbegin(); it != written.rend(); ++it) {
          if (it->second) Write(list, it->first, *it->second);
        }
        return false;
      }
      written.emplace_back(name, had);
    }
    return true;
  }

  // A line for the report that belongs to no single property.
  void Note(const std::wstring& text) { refusals_.push_back({text, text}); }

  int ReadInt(const char* list, const char* name, int fallback) noexcept {
    return Read<int>(list, name).value_or(fallback);
  }
  double ReadDouble(const char* list, const char* name, double fallback) noexcept {
    return Read<double>(list, name).value_or(fallback);
  }

  const std::vector<Refusal>& Refusals() const { return refusals_; }

 private:
  template <typename T>
  std::optional<T> Read(const char* list, const char* name) noexcept {
    try {
      if constexpr (std::is_same_v<T, double>) {
        return Find(list, name).readF();
      } else {
        return Find(list, name).readI();
      }
    } catch (...) {
      return std::nullopt;
    }
  }

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
  std::vector<Refusal> refusals_;
};
