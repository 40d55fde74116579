#include "imaging/jpeg_encoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <new>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace q7::imaging {
namespace {

constexpr int kRowsPerCall = 16;  // one row of 4:2:0 blocks

// The library reports a fatal error by calling error_exit, which must not return: it jumps
// back to the setjmp in CompressRows, across the library's C frames only.
struct ErrorHandler {
  jpeg_error_mgr base;
  std::jmp_buf resume;
  HRESULT failure = S_OK;
};

void OnFatalError(j_common_ptr info) {
  auto* handler = reinterpret_cast<ErrorHandler*>(info->err);
  if (handler->failure == S_OK) {
    handler->failure =
        info->err->msg_code == JERR_OUT_OF_MEMORY ? E_OUTOFMEMORY : HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  }
  std::longjmp(handler->resume, 1);
}

void OnWarning(j_common_ptr, int) {}  // corrupt-data warnings concern decoding only
void OnOutputMessage(j_common_ptr) {}

// Writes into a vector that grows by doubling; its capacity is reused from picture to picture.
struct VectorDestination {
  jpeg_destination_mgr base;
  std::vector<std::uint8_t>* out = nullptr;
  std::size_t firstSize = 0;
};

bool Grow(std::vector<std::uint8_t>& out, std::size_t size) noexcept {
  try {
    out.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void StartDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  if (!Grow(*dest->out, dest->firstSize)) ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
  dest->base.next_output_byte = dest->out->data();
  dest->base.free_in_buffer = dest->out->size();
}

boolean GrowDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  const std::size_t used = dest->out->size();  // called when the whole buffer is full
  if (!Grow(*dest->out, used * 2)) ERREXIT1(info, JERR_OUT_OF_MEMORY, 2);
  dest->base.next_output_byte = dest->out->data() + used;
  dest->base.free_in_buffer = dest->out->size() - used;
  return TRUE;
}

void EndDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<VectorDestination*>(info->dest);
  dest->out->resize(dest->out->size() - dest->base.free_in_buffer);
}

}  // namespace

struct JpegEncoder::Compressor {
  jpeg_compress_struct info{};
  ErrorHandler errors;
  VectorDestination destination;
  bool created = false;  // false only when the library had no memory for itself

  Compressor() {
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnFatalError;
    errors.base.emit_message = OnWarning;
    errors.base.output_message = OnOutputMessage;
    // Creation fails only for lack of memory, and then jumps back here.
    if (setjmp(errors.resume) == 0) {
      jpeg_create_compress(&info);
      created = true;
    }
    destination.base.init_destination = StartDestination;
    destination.base.empty_output_buffer = GrowDestination;
    destination.base.term_destination = EndDestination;
  }
  ~Compressor() {
    if (created) jpeg_destroy_compress(&info);
  }
};

namespace {

// Everything that may end in the library's error jump, in one function whose locals need no
// destructors, so the jump skips nothing. False after a fatal error.
bool CompressRows(jpeg_compress_struct& info, ErrorHandler& errors, const BgrPixels& pixels,
                  const JpegSettings& settings, ProgressCounter* progress) {
  if (setjmp(errors.resume) != 0) return false;
  info.image_width = static_cast<JDIMENSION>(pixels.width);
  info.image_height = static_cast<JDIMENSION>(pixels.height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, settings.quality, TRUE);
  const int lumaFactor = settings.chroma == ChromaSubsampling::Half ? 2 : 1;
  info.comp_info[0].h_samp_factor = lumaFactor;
  info.comp_info[0].v_samp_factor = lumaFactor;
  jpeg_start_compress(&info, TRUE);
  JSAMPROW rows[kRowsPerCall];
  while (info.next_scanline < info.image_height) {
    const JDIMENSION first = info.next_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, info.image_height - first);
    for (JDIMENSION i = 0; i < count; ++i) {
      // The library only reads the rows; its interface is not const.
      rows[i] = const_cast<JSAMPROW>(pixels.first + (first + i) * pixels.stride);
    }
    const JDIMENSION done = jpeg_write_scanlines(&info, rows, count);
    if (progress) progress->Add(done);
  }
  jpeg_finish_compress(&info);
  return true;
}

}  // namespace

BgrPixels PixelsOf(const Image& image) {
  if (!image.IsValid()) return {};
  return {image.bgr.data(), image.width, image.height, image.RowBytes()};
}

JpegEncoder::JpegEncoder() : compressor_(std::make_unique<Compressor>()) {}
JpegEncoder::~JpegEncoder() = default;

HRESULT JpegEncoder::Encode(const BgrPixels& pixels, const JpegSettings& settings, std::vector<std::uint8_t>& out,
                            const EncodeProgress& progress) {
  out.clear();
  if (pixels.first == nullptr || pixels.width <= 0 || pixels.height <= 0 ||
      pixels.stride < static_cast<std::size_t>(pixels.width) * 3 || settings.quality < kMinJpegQuality ||
      settings.quality > kMaxJpegQuality) {
    return E_INVALIDARG;
  }
  Compressor& c = *compressor_;
  if (!c.created) return E_OUTOFMEMORY;
  c.errors.failure = S_OK;
  c.destination.out = &out;
  // Room for a typical picture at once: a tenth of its raw size covers quality 90 at 4:2:0.
  c.destination.firstSize =
      std::max<std::size_t>({out.capacity(), static_cast<std::size_t>(pixels.width) * pixels.height * 3 / 10, 4096});
  c.info.dest = &c.destination.base;
  ProgressCounter counter(progress, static_cast<std::uint64_t>(pixels.height));
  if (!CompressRows(c.info, c.errors, pixels, settings, progress ? &counter : nullptr)) {
    jpeg_abort_compress(&c.info);  // ready for the next picture
    out.clear();
    return c.errors.failure;
  }
  return S_OK;
}

HRESULT EncodeJpeg(const Image& image, const JpegSettings& settings, std::vector<std::uint8_t>& out,
                   const EncodeProgress& progress) {
  JpegEncoder encoder;
  return encoder.Encode(PixelsOf(image), settings, out, progress);
}

}  // namespace q7::imaging
