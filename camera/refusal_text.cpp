#include "camera/refusal_text.h"

#include <cwchar>
#include <string_view>

namespace {

std::wstring Number(double value) {
  wchar_t text[48];
  std::swprintf(text, 48, L"%g", value);
  return text;
}

std::wstring Switch(const wchar_t* label, double value) {
  return std::wstring(value != 0 ? L"switching on " : L"switching off ") + label;
}

// The dialog's words for what a property holds; the SDK's own name for anything else.
std::wstring Describe(std::string_view name, double value) {
  if (name == "Expose_us") return L"an exposure of " + Number(value) + L" \u00B5s";
  if (name == "ExposeLowerLimit_us") return L"a minimum exposure of " + Number(value) + L" \u00B5s";
  if (name == "ExposeUpperLimit_us") return L"a maximum exposure of " + Number(value) + L" \u00B5s";
  if (name == "Gain_dB") return L"a gain of " + Number(value) + L" dB";
  if (name == "GainLowerLimit_dB") return L"a minimum gain of " + Number(value) + L" dB";
  if (name == "GainUpperLimit_dB") return L"a maximum gain of " + Number(value) + L" dB";
  if (name == "AutoExposeControl") return Switch(L"Auto Exposure", value);
  if (name == "AutoGainControl") return Switch(L"Auto Gain_dB", value);
  if (name == "TotalGain") return L"a total gain of " + Number(value);
  if (name == "RedGain") return L"a red gain of " + Number(value);
  if (name == "GreenGain") return L"a green gain of " + Number(value);
  if (name == "BlueGain") return L"a blue gain of " + Number(value);
  if (name == "ColorProcessing") return value == 3 ? L"Mono Color" : L"colour pictures";
  if (name == "MirrorModeGlobal") {
    const int flips = static_cast<int>(value);
    if (flips == 0) return L"an unmirrored picture";
    if (flips == 1) return L"Flip Vertical";
    if (flips == 2) return L"Flip Horizontal";
    return L"Flip Vertical with Flip Horizontal";
  }
  if (name == "GainOffsetKneeMasterOffset_pc") return L"a gain offset of " + Number(value) + L" %";
  if (name == "W") return L"a picture width of " + Number(value);
  if (name == "H") return L"a picture height of " + Number(value);
  if (name == "X" || name == "Y") return L"that area of the sensor";
  return L"\"" + std::wstring(name.begin(), name.end()) + L"\" = " + Number(value);
}

}  // namespace

std::wstring RefusalSentence(const std::string& name, double value) {
  return L"The camera refused " + Describe(name, value) + L".";
}

std::wstring RefusalReport(const std::string& name, double value, const std::wstring& technical) {
  return RefusalSentence(name, value) + L"\n    " + technical;
}
