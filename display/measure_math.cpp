#include "display/measure_math.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace display {
namespace {

template <typename... Args>
std::wstring Format(const wchar_t* format, Args... args) {
  wchar_t text[128];
  const int n = std::swprintf(text, std::size(text), format, args...);
  return n > 0 ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

// Decimals that give four figures for a value from 0.001 to 9999.
int DecimalsForFourFigures(double value) {
  if (value >= 1000) return 0;
  if (value >= 100) return 1;
  if (value >= 10) return 2;
  return 3;
}

}  // namespace

std::optional<double> RoundLengthAtMost(double limit, bool wholeOnly) {
  if (!(limit > 0) || !std::isfinite(limit)) return std::nullopt;
  if (wholeOnly && limit < 1) return std::nullopt;
  // The decade at or below the limit; the float logarithm can miss an exact power by one.
  double decade = std::pow(10.0, std::floor(std::log10(limit)));
  if (decade * 10 <= limit) decade *= 10;
  if (decade > limit) decade /= 10;
  for (const double step : {5.0, 2.0, 1.0}) {
    if (step * decade <= limit) return step * decade;
  }
  return decade;
}

std::optional<ScaleBar> ChooseScaleBar(int viewWidth, double viewPixelsPerPixel,
                                       std::optional<double> micronsPerPixel) {
  if (viewWidth <= 0 || !(viewPixelsPerPixel > 0)) return std::nullopt;
  const double quarter = viewWidth / 4.0;
  ScaleBar bar;
  bar.calibrated = micronsPerPixel && *micronsPerPixel > 0;
  // Units per view pixel: µm with a calibration, sensor pixels without.
  const double unitsPerViewPixel = (bar.calibrated ? *micronsPerPixel : 1.0) / viewPixelsPerPixel;
  const std::optional<double> length = RoundLengthAtMost(quarter * unitsPerViewPixel, !bar.calibrated);
  if (!length) return std::nullopt;
  bar.length = *length;
  bar.pixels = static_cast<int>(std::lround(bar.length / unitsPerViewPixel));
  bar.label = bar.calibrated ? FormatRoundLength(bar.length) : Format(L"%.0f px (not calibrated)", bar.length);
  return bar;
}

std::wstring FormatRoundLength(double microns) {
  if (microns >= 1000) return Format(L"%g mm", microns / 1000);
  return Format(L"%g \u00B5m", microns);
}

std::wstring FormatMicrons(double microns) {
  if (microns >= 999.95) {
    const double mm = microns / 1000;
    return Format(L"%.*f mm", DecimalsForFourFigures(mm), mm);
  }
  return Format(L"%.*f \u00B5m", DecimalsForFourFigures(microns), microns);
}

LineMeasure MeasureLine(const SensorLine& line, const SensorPlacement& placement,
                        std::optional<double> micronsPerPixel) {
  const double dx = line.to.x - line.from.x, dy = line.to.y - line.from.y;
  LineMeasure m;
  m.pixels = std::hypot(dx, dy);
  if (micronsPerPixel && *micronsPerPixel > 0) m.microns = m.pixels * *micronsPerPixel;
  // Up on the screen is up: the picture's rows grow downward, and mirroring turns an axis.
  const double across = placement.flipHorizontal ? -dx : dx;
  const double up = placement.flipVertical ? dy : -dy;
  m.degrees = m.pixels > 0 ? std::atan2(up, across) * 180.0 / std::numbers::pi : 0.0;
  if (m.degrees == -180.0) m.degrees = 180.0;
  return m;
}

std::wstring FormatLineMeasure(const LineMeasure& m) {
  // -0.04 would read "-0.0": an angle that rounds to nothing has no sign.
  const double degrees = std::fabs(m.degrees) < 0.05 ? 0.0 : m.degrees;
  const std::wstring pixelsAndAngle = Format(L"%.1f px   %.1f\u00B0", m.pixels, degrees);
  return m.microns ? FormatMicrons(*m.microns) + L"   " + pixelsAndAngle : pixelsAndAngle;
}

std::vector<double> GridPositions(double origin, double spacing, double begin, double end) {
  std::vector<double> positions;
  // A spacing that would crowd the range is no grid at all.
  if (!(spacing > 0) || !(end > begin) || (end - begin) / spacing > 10000) return positions;
  for (double at = origin + std::ceil((begin - origin) / spacing) * spacing; at < end; at += spacing)
    positions.push_back(at);
  return positions;
}

}  // namespace display
