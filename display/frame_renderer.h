#pragma once
// Drawing one frame: the picture stretched by the display scale and shifted by the pan
// offset, centred on black, with the scale caption and the translucent navigator, composed
// in a back buffer and copied to the target DC in one go.
#include <windows.h>

#include <optional>

#include "display/render_geometry.h"
#include "framework/critical_section.h"
#include "state/frame_buffer.h"

namespace display {

struct DrawFrameOptions {
  int stretchMode = HALFTONE;
  // Held around the stretch only, the one call that reads the pixels; null takes no lock.
  CCriticalSection* frameLock = nullptr;
};

// Draws `block` into `targetDc` over a view of `client`'s size (painting at (0, 0)).
// Returns the geometry used, whose pan offset the caller writes back; nothing is drawn and
// nullopt comes back for an empty view, an empty picture or a scale that is not positive.
std::optional<RenderGeometry> DrawFrame(HDC targetDc, const RECT& client, const FrameBlock& block, double scalePercent,
                                        PanOffset pan, const DrawFrameOptions& options = {});

}  // namespace display
