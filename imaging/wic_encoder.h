#pragma once
// PNG and TIFF through the Windows Imaging Component's encoders; its JPEG encoder is kept for
// the benchmarks to measure ours against (snapshots use imaging/jpeg_encoder.h).
#include <windows.h>

#include <cstdint>
#include <vector>

#include "imaging/encode_progress.h"
#include "imaging/image.h"
#include "imaging/image_format.h"

namespace q7::imaging {

// PNG and TIFF: the formats snapshots write through WIC.
bool IsWicFormat(ImageFormat format);

// Encodes into memory with the format's default settings. The calling thread must have COM
// initialised. On failure returns WIC's HRESULT and leaves `out` empty. With `progress`, the
// picture goes to the encoder in strips of rows and each strip is reported.
HRESULT EncodeWithWic(const Image& image, ImageFormat format, std::vector<std::uint8_t>& out,
                      const EncodeProgress& progress = {});

}  // namespace q7::imaging
