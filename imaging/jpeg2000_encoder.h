#pragma once
// Lossless JPEG 2000 (ISO/IEC 15444-1) encoder: reversible 5/3 wavelet, reversible colour
// transform, one tile, 64 x 64 code-blocks, one quality layer, LRCP order.
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/encode_progress.h"
#include "imaging/image.h"

namespace q7::imaging {

// Raw code stream (.jpc / .j2k). Empty when a side exceeds 32768 (one precinct per resolution).
// `progress` counts the coded code-blocks.
std::vector<std::uint8_t> EncodeJpc(const Image& image, const EncodeProgress& progress = {});

// JP2 file: signature, file type, header (ihdr + sRGB colr) and code stream boxes.
std::vector<std::uint8_t> EncodeJp2(const Image& image, const EncodeProgress& progress = {});

namespace j2k {

constexpr int kMaxSide = 32768;

// Decomposition levels used for a picture: up to 5, fewer when a side is too short to halve.
int WaveletLevels(int width, int height);

// In-place forward 5/3 lifting transform over `levels` levels, Mallat layout: after each
// level the low-pass quadrant sits top-left and is transformed again. Columns before rows.
void ForwardWavelet53(std::span<std::int32_t> plane, int width, int height, int levels);

// Code stream of one (grey) or three (red, green, blue) planes of 8-bit unsigned samples.
std::vector<std::uint8_t> EncodeCodestream(std::span<const std::vector<std::uint8_t>> planes, int width, int height,
                                           const EncodeProgress& progress = {});

// Wraps a code stream in the JP2 boxes; `components` is 1 (grey) or 3 (sRGB).
std::vector<std::uint8_t> WrapJp2(std::span<const std::uint8_t> codestream, int width, int height, int components);

}  // namespace j2k
}  // namespace q7::imaging
