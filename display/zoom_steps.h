#pragma once
// The display scale's steps: 10 % at a time between 10 % and 300 %, for the panel's zoom
// buttons and the full-screen viewer's wheel and keypad alike.

namespace display {

inline constexpr double kMinDisplayScale = 10.0;
inline constexpr double kMaxDisplayScale = 300.0;
inline constexpr double kDisplayScaleStep = 10.0;

// One step up for direction > 0, down for direction < 0; at a bound the scale stays.
constexpr double StepDisplayScale(double scalePercent, int direction) {
  if (direction > 0 && scalePercent < kMaxDisplayScale)
    return scalePercent + kDisplayScaleStep < kMaxDisplayScale ? scalePercent + kDisplayScaleStep : kMaxDisplayScale;
  if (direction < 0 && scalePercent > kMinDisplayScale)
    return scalePercent - kDisplayScaleStep > kMinDisplayScale ? scalePercent - kDisplayScaleStep : kMinDisplayScale;
  return scalePercent;
}

// Whether a zoom control has a step left to take.
constexpr bool CanZoomOut(double scalePercent) { return scalePercent > kMinDisplayScale; }
constexpr bool CanZoomIn(double scalePercent) { return scalePercent < kMaxDisplayScale; }

}  // namespace display
