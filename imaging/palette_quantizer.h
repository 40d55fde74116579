#pragma once
// Reduces a true-colour picture to at most 256 colours for the indexed formats: a palette
// chosen for the picture and one palette index per pixel.
#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace q7::imaging {

struct PaletteColour {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const PaletteColour&, const PaletteColour&) = default;
};
using Palette = std::vector<PaletteColour>;

constexpr int kMaxPaletteColours = 256;

struct IndexedImage {
  Palette palette;                    // 1 to 256 colours
  std::vector<std::uint8_t> indices;  // one per pixel, rows top first, no padding
};

// Up to 256 colours by Wu's variance-minimising cuts of a 32-level-per-channel histogram of the
// picture (of every second pixel of every second row on large pictures). Deterministic.
Palette ChoosePalette(const Image& image);

// Each pixel's nearest palette colour, looked up per 64-level cell; with `dither`,
// Floyd-Steinberg error diffusion. The palette must not be empty.
std::vector<std::uint8_t> MapToPalette(const Image& image, const Palette& palette, bool dither);

// A picture of at most 256 colours keeps them exactly (palette in order of first appearance);
// any other gets ChoosePalette and MapToPalette.
IndexedImage Quantize(const Image& image, bool dither);

}  // namespace q7::imaging
