#include "display/statistics_text.h"

#include <cstdio>

namespace display {
namespace {

template <typename... Args>
std::wstring Format(const wchar_t* format, Args... args) {
  wchar_t text[256];
  const int n = std::swprintf(text, std::size(text), format, args...);
  return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

}  // namespace

std::wstring FormatInfoLine(const InfoLineValues& v) {
  std::wstring line =
      Format(L"Shown %.1f fps   Camera %.1f fps   Lost %llu   %.1f MB/s   %d x %d   Exposure %d \u00B5s   Gain %.1f dB",
             v.rates.shownPerSecond, v.rates.cameraPerSecond, static_cast<unsigned long long>(v.rates.lost),
             v.rates.megabytesPerSecond, v.width, v.height, v.exposureUs, v.gainDb);
  line += v.calibration ? L"   Calibration " + v.calibration->name : std::wstring(L"   No calibration");
  if (v.reconnects > 0) line += Format(L"   Reconnects %u", v.reconnects);
  if (v.pointer) {
    const PointerProbe& p = *v.pointer;
    line += Format(L"   X %ld  Y %ld   R %d  G %d  B %d", p.sensor.x, p.sensor.y, p.colour.red, p.colour.green,
                   p.colour.blue);
  }
  return line;
}

std::wstring FormatClipping(const FrameHistogram& h) {
  return Format(L"Clipped  0: %.2f %%   255: %.2f %%", 100.0 * h.ClippedLowShare(), 100.0 * h.ClippedHighShare());
}

std::wstring FormatFocus(double value, double peak) { return Format(L"Focus %.1f   Peak %.1f", value, peak); }

}  // namespace display
