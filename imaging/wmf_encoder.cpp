#include "imaging/wmf_encoder.h"

#include <windows.h>

#include <cstring>

#include "imaging/bmp_file.h"
#include "imaging/byte_writer.h"
#include "imaging/metafile_recorder.h"

namespace q7::imaging {
namespace {

constexpr int kMaxPlaceableSide = 0x7FFF;
constexpr std::size_t kBmpFileHeaderSize = 14;

std::vector<std::uint8_t> RecordMetafile(const Image& image) {
  // The BMP encoder already lays out a bottom-up DIB with biSizeImage filled in; without
  // biSizeImage the metafile record is written without its pixels.
  const std::vector<std::uint8_t> dib = EncodeBmp(image);
  BITMAPINFO info{};
  std::memcpy(&info.bmiHeader, dib.data() + kBmpFileHeaderSize, sizeof(BITMAPINFOHEADER));
  const std::uint8_t* bits = dib.data() + kBmpFileHeaderSize + sizeof(BITMAPINFOHEADER);

  MetafileRecorder recorder(CreateMetaFileW(nullptr));
  if (recorder.Get() == nullptr) return {};
  SetWindowOrgEx(recorder.Get(), 0, 0, nullptr);
  SetWindowExtEx(recorder.Get(), image.width, image.height, nullptr);
  const int lines = StretchDIBits(recorder.Get(), 0, 0, image.width, image.height, 0, 0, image.width, image.height,
                                  bits, &info, DIB_RGB_COLORS, SRCCOPY);
  if (lines == 0 || lines == static_cast<int>(GDI_ERROR)) return {};
  const fw::UniqueMetafile metafile = recorder.Finish();
  if (metafile.get() == nullptr) return {};

  const UINT size = GetMetaFileBitsEx(metafile.get(), 0, nullptr);
  if (size == 0) return {};
  std::vector<std::uint8_t> bytes(size);
  if (GetMetaFileBitsEx(metafile.get(), size, bytes.data()) != size) return {};
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> EncodeWmf(const Image& image) {
  if (!image.IsValid() || image.width > kMaxPlaceableSide || image.height > kMaxPlaceableSide) return {};
  const std::vector<std::uint8_t> metafile = RecordMetafile(image);
  if (metafile.empty()) return {};

  std::vector<std::uint8_t> out;
  out.reserve(kPlaceableHeaderSize + metafile.size());
  ByteWriter w(out);
  w.Le32(kPlaceableMetafileKey);
  w.Le16(0);  // handle, unused in files
  w.Le16(0);
  w.Le16(0);
  w.Le16(image.width);
  w.Le16(image.height);  // bounding box in metafile units
  w.Le16(96);            // units per inch
  w.Le32(0);
  std::uint16_t checksum = 0;  // XOR of the ten words before it
  for (std::size_t i = 0; i < 20; i += 2) checksum ^= static_cast<std::uint16_t>(out[i] | (out[i + 1] << 8));
  w.Le16(checksum);
  w.Bytes(metafile.data(), metafile.size());
  return out;
}

}  // namespace q7::imaging
