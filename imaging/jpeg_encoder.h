#pragma once
// JPEG through libjpeg-turbo (SIMD): snapshots' JPEG files and recordings' frames.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/encode_progress.h"
#include "imaging/image.h"

namespace q7::imaging {

inline constexpr int kMinJpegQuality = 1;
inline constexpr int kMaxJpegQuality = 100;
inline constexpr int kDefaultJpegQuality = 90;

enum class ChromaSubsampling {
  Half,  // 4:2:0: colour at half the resolution both ways, as cameras and players expect
  Full,  // 4:4:4
};

struct JpegSettings {
  int quality = kDefaultJpegQuality;  // 1 to 100
  ChromaSubsampling chroma = ChromaSubsampling::Half;
};

// The pixels to encode: blue, green and red bytes, rows top first, `stride` bytes apart (a
// frame block's padded rows or an Image's packed ones). Not owned.
struct BgrPixels {
  const std::uint8_t* first = nullptr;
  int width = 0;
  int height = 0;
  std::size_t stride = 0;
};

BgrPixels PixelsOf(const Image& image);

// One compressor kept for many pictures, so each costs no set-up and reuses the output's
// memory (a recording's worker keeps one). Not for two threads at once.
class JpegEncoder {
 public:
  JpegEncoder();
  ~JpegEncoder();
  JpegEncoder(const JpegEncoder&) = delete;
  JpegEncoder& operator=(const JpegEncoder&) = delete;

  // Replaces `out` with the JPEG file, keeping its capacity. E_INVALIDARG for no pixels, a
  // stride shorter than a row or a quality outside 1..100; E_OUTOFMEMORY;
  // HRESULT_FROM_WIN32(ERROR_INVALID_DATA) for a picture JPEG cannot hold (over 65500 pixels
  // a side). `out` is empty after a failure. `progress` hears of every 16 rows.
  HRESULT Encode(const BgrPixels& pixels, const JpegSettings& settings, std::vector<std::uint8_t>& out,
                 const EncodeProgress& progress = {});

 private:
  struct Compressor;
  std::unique_ptr<Compressor> compressor_;
};

// One picture with a compressor of its own.
HRESULT EncodeJpeg(const Image& image, const JpegSettings& settings, std::vector<std::uint8_t>& out,
                   const EncodeProgress& progress = {});

}  // namespace q7::imaging
