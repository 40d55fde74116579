#include "panel/black_picture.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <utility>

namespace {

constexpr int kGridStep = 16;

std::wstring Format(const wchar_t* format, double a, double b = 0.0, double c = 0.0) {
  wchar_t text[160];
  std::swprintf(text, 160, format, a, b, c);
  return text;
}

// The exposure and gain the picture gets: with an auto control on, the most it may choose.
struct ExposureReach {
  double exposureUs;
  double gainDb;
};

ExposureReach ReachOf(const PropertyRecord& r) {
  return {static_cast<double>(r.autoExposure ? r.exposureUpperLimit : r.exposureTime),
          r.autoGain ? r.gainUpperLimit : r.gain};
}

// How bright the exposure and gain let the picture get, against the defaults (20 ms, 0 dB).
double ExposureFactor(const PropertyRecord& r) {
  const ExposureReach reach = ReachOf(r);
  return reach.exposureUs / 20000.0 * std::pow(10.0, reach.gainDb / 20.0);
}

std::wstring ExposureText(const PropertyRecord& r) {
  const ExposureReach reach = ReachOf(r);
  const wchar_t* format = r.autoExposure || r.autoGain
                              ? L"the exposure may reach only %.0f \u00b5s and the gain %.2f dB"
                              : L"the exposure is %.0f \u00b5s at a gain of %.2f dB";
  return Format(format, reach.exposureUs, reach.gainDb);
}

}  // namespace

double MeanBrightness(const display::BgrPicture& picture) noexcept {
  if (picture.Empty()) return 0.0;
  long long sum = 0;
  long long count = 0;
  for (int band = 0; band * kGridStep < picture.height; ++band) {
    const display::GridRow row = display::SampleGridRow(band, kGridStep);
    if (row.y >= picture.height) break;
    const std::uint8_t* p = picture.Row(row.y);
    for (int x = row.firstColumn; x < picture.width; x += kGridStep) {
      const std::uint8_t* pixel = p + 3 * static_cast<std::size_t>(x);
      sum += display::Luminance(pixel[2], pixel[1], pixel[0]);
      ++count;
    }
  }
  return count ? static_cast<double>(sum) / static_cast<double>(count) : 0.0;
}

std::wstring BlackPictureText(const PropertyRecord& r) {
  const std::wstring start = L"The picture is black: ";
  // Each factor scales the light that reaches the picture, 1 at its default.
  const double whiteBalance = r.totalGain;
  const double colour = std::max({r.redGain, r.greenGain, r.blueGain});
  const double exposure = ExposureFactor(r);
  if (whiteBalance * colour * exposure < 0.1) {
    if (whiteBalance <= colour && whiteBalance <= exposure)
      return start + Format(L"the white-balance gain is %.2f.", whiteBalance);
    if (colour <= exposure)
      return start +
             Format(L"the red, green and blue gains are %.2f, %.2f and %.2f.", r.redGain, r.greenGain, r.blueGain);
    return start + ExposureText(r) + L".";
  }
  if (r.gainOffset < 0.0) return start + Format(L"the gain offset is %.2f %%.", r.gainOffset);
  return start + L"is the lens covered, or the scene dark?";
}

BlackPictureWatch::Outcome BlackPictureWatch::Look(double seconds, std::optional<double> meanBrightness,
                                                   const std::function<PropertyRecord()>& record) {
  Outcome outcome;
  if (!meanBrightness) {
    // Nothing to judge: the time a black picture lasts starts again with the next frames.
    blackSince_.reset();
    return outcome;
  }
  if (*meanBrightness >= kBlackBelow) {
    outcome.back = std::exchange(told_, false);
    blackSince_.reset();
    return outcome;
  }
  if (!blackSince_) blackSince_ = seconds;
  if (!told_ && seconds - *blackSince_ >= kTellAfterSeconds) {
    told_ = true;
    outcome.tell = BlackPictureText(record());
  }
  return outcome;
}
