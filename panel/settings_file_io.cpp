#include "panel/settings_file_io.h"

#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "camera/settings_file.h"
#include "framework/system_message.h"
#include "framework/text_encoding.h"
#include "imaging/image_file.h"

namespace {

constexpr ULONGLONG kLargestSettingsFile = 64 * 1024;

LoadedSettings NotLoaded(const std::wstring& path, const std::wstring& why) {
  return {false,
          {},
          std::nullopt,
          L"The camera settings were not loaded from \"" + path + L"\".\n" + why + L"\nNothing was changed."};
}

}  // namespace

std::wstring WriteSettingsFile(const std::wstring& path, const PropertyRecord& record,
                               const CalibrationSet& calibrations) {
  const std::string text = FormatSettingsFile(record, calibrations);
  // Written whole under another name first: a failure leaves the file it replaces as it was.
  const HRESULT written = q7::imaging::SaveFileBytes(
      path.c_str(), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  if (SUCCEEDED(written)) return {};
  return L"The camera settings could not be saved to \"" + path + L"\".\n" + SystemMessage(static_cast<DWORD>(written));
}

LoadedSettings ReadSettingsFile(const std::wstring& path, const PropertyRecord& base) {
  WIN32_FILE_ATTRIBUTE_DATA attributes{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes))
    return NotLoaded(path, SystemMessage(::GetLastError()));
  const ULONGLONG size = (ULONGLONG{attributes.nFileSizeHigh} << 32) | attributes.nFileSizeLow;
  if (size > kLargestSettingsFile) return NotLoaded(path, L"It is too large to be a camera settings file.");
  std::vector<std::uint8_t> bytes;
  const HRESULT read = q7::imaging::ReadFileBytes(path.c_str(), bytes);
  if (FAILED(read)) return NotLoaded(path, SystemMessage(static_cast<DWORD>(read)));

  const SettingsFileResult parsed =
      ParseSettingsFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), base);
  if (!parsed.ok)
    return NotLoaded(path, L"Line " + std::to_wstring(parsed.line) + L": " + Utf8ToWide(parsed.error) + L".");
  return {true, parsed.record, parsed.calibrations, {}};
}
