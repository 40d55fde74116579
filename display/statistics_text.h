#pragma once
// The texts of the live-information views: the information line, the histogram's clipped
// shares and the focus figure.
#include <windows.h>

#include <optional>
#include <string>

#include "display/frame_histogram.h"
#include "display/picture_point.h"
#include "state/calibration.h"
#include "state/frame_rate_meter.h"

namespace display {

// What the pointer is over: a sensor position and the colour the picture has there.
struct PointerProbe {
  POINT sensor{};
  PixelColour colour;
};

struct InfoLineValues {
  FrameRates rates;
  int width = 0;  // of the picture
  int height = 0;
  int exposureUs = 0;  // what the camera is using now
  double gainDb = 0;
  unsigned reconnects = 0;                 // times a lost camera came back
  std::optional<Calibration> calibration;  // the one in use
  std::optional<PointerProbe> pointer;     // when the pointer is over the picture
};

// "Shown 14.9 fps   Camera 15.0 fps   Lost 3   75.6 MB/s   2592 x 1944   Exposure 20000 µs   Gain 0.0 dB",
// then "   Calibration 10x" (or "   No calibration"), then "   X 1296  Y 972   R 128  G 64  B 32" when
// the pointer is over the picture.
std::wstring FormatInfoLine(const InfoLineValues& values);

// "Clipped  0: 0.12 %   255: 1.50 %"
std::wstring FormatClipping(const FrameHistogram& histogram);

// "Focus 123.4   Peak 140.2"
std::wstring FormatFocus(double value, double peak);

}  // namespace display
