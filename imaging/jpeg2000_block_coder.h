#pragma once
// JPEG 2000 tier-1 coding: one code-block's wavelet coefficients, coded bit-plane by bit-plane
// with the MQ arithmetic coder (ISO/IEC 15444-1 Annexes C and D), all passes in one code word.
#include <cstdint>
#include <vector>

namespace q7::imaging::j2k {

constexpr int kCodeBlockSide = 64;

enum Orientation { kLL = 0, kHL = 1, kLH = 2, kHH = 3 };  // HL: high-pass across columns

struct CodedBlock {
  std::vector<std::uint8_t> bytes;
  int bitPlanes = 0;  // magnitude bit-planes in use; 0 = all samples zero, nothing coded
  int passes = 0;     // 3 * bitPlanes - 2, or 0
};

// `data` points at the block's first coefficient inside a plane `stride` samples wide.
CodedBlock EncodeCodeBlock(const std::int32_t* data, int stride, int width, int height, Orientation orient);

}  // namespace q7::imaging::j2k
