#pragma once
// The four pictures of a hover button's strip: normal, hover, pressed, disabled, left to right.
#include <windows.h>

namespace skin {

enum ButtonState : int {
  kStateNormal = 0,
  kStateHover = 1,
  kStatePressed = 2,
  kStateDisabled = 3,
};
inline constexpr int kStripStates = 4;

// Disabled beats pressed, pressed beats hover.
constexpr ButtonState ChooseButtonState(bool disabled, bool pressed, bool hover) noexcept {
  if (disabled) return kStateDisabled;
  if (pressed) return kStatePressed;
  if (hover) return kStateHover;
  return kStateNormal;
}

// One state of a strip; a width that does not divide by four loses the remainder.
constexpr SIZE StripStateSize(SIZE strip) noexcept { return {strip.cx / kStripStates, strip.cy}; }

// Where a state's picture starts in the strip.
constexpr POINT StripStateOrigin(ButtonState state, SIZE stateSize) noexcept {
  return {static_cast<int>(state) * stateSize.cx, 0};
}

}  // namespace skin
