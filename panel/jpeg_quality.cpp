#include "panel/jpeg_quality.h"

#include <cwctype>

#include "framework/registry_value.h"
#include "imaging/jpeg_encoder.h"
#include "state/settings_key.h"

namespace imaging = q7::imaging;

int LoadJpegQuality() {
  DWORD quality = 0;
  DWORD size = 0;
  if (ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kJpegQualityValue, REG_DWORD, &quality, sizeof quality,
                        &size) == ERROR_SUCCESS &&
      size == sizeof quality && quality >= DWORD{imaging::kMinJpegQuality} &&
      quality <= DWORD{imaging::kMaxJpegQuality}) {
    return static_cast<int>(quality);
  }
  return imaging::kDefaultJpegQuality;
}

LONG StoreJpegQuality(int quality) {
  const DWORD value = static_cast<DWORD>(quality);
  return WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kJpegQualityValue, REG_DWORD, &value, sizeof value);
}

std::optional<int> ParseJpegQuality(const std::wstring& text) {
  std::size_t at = 0;
  while (at < text.size() && std::iswspace(text[at])) ++at;
  int quality = 0;
  std::size_t digits = 0;
  for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 4; ++at, ++digits)
    quality = quality * 10 + (text[at] - L'0');
  while (at < text.size() && std::iswspace(text[at])) ++at;
  if (digits == 0 || at != text.size() || quality < imaging::kMinJpegQuality || quality > imaging::kMaxJpegQuality)
    return std::nullopt;
  return quality;
}
