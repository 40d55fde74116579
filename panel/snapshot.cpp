#include "panel/snapshot.h"

#include <algorithm>
#include <cwctype>
#include <optional>

#include "framework/file_dialog.h"
#include "framework/system_message.h"
#include "imaging/bmp_file.h"
#include "imaging/byte_writer.h"

namespace {

namespace imaging = q7::imaging;

// The frame as a BMP file: file header, the frame's own header, its pixel bytes. Empty when
// the block is shorter than its header says.
std::vector<std::uint8_t> BmpFileOf(std::span<const std::uint8_t> frameBlock) {
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(frameBlock.data());
  const std::size_t pixelOffset = FirstPixelOffset(*header);
  if (pixelOffset + header->biSizeImage > frameBlock.size()) return {};
  const auto fileHeader = BuildBmpFileHeader(header->biSizeImage);
  std::vector<std::uint8_t> file(fileHeader.begin(), fileHeader.end());
  file.reserve(fileHeader.size() + sizeof(BITMAPINFOHEADER) + header->biSizeImage);
  const auto* headerBytes = frameBlock.data();
  file.insert(file.end(), headerBytes, headerBytes + sizeof(BITMAPINFOHEADER));
  file.insert(file.end(), frameBlock.data() + pixelOffset, frameBlock.data() + pixelOffset + header->biSizeImage);
  return file;
}

std::wstring TrimmedRight(std::wstring text) {
  while (!text.empty() && std::iswspace(text.back())) text.pop_back();
  return text;
}

}  // namespace

SnapshotOutcome SnapshotFailure(const std::wstring& path, const std::wstring& why) {
  return {false, L"The snapshot could not be saved to \"" + path + L"\".\n" + why};
}

std::vector<SnapshotFormat> SnapshotFormats() {
  std::vector<SnapshotFormat> formats;
  const std::wstring filter = kSnapshotFilter;
  std::size_t at = 0;
  while (at < filter.size()) {
    const std::size_t labelEnd = filter.find(L'|', at);
    const std::size_t patternsEnd = filter.find(L'|', labelEnd + 1);
    if (labelEnd == std::wstring::npos || patternsEnd == std::wstring::npos) break;
    const std::wstring patterns = filter.substr(labelEnd + 1, patternsEnd - labelEnd - 1);
    const std::wstring first = patterns.substr(0, patterns.find(L';'));
    formats.push_back({TrimmedRight(filter.substr(at, labelEnd - at)), FileExtensionOf(first)});
    at = patternsEnd + 1;
  }
  return formats;
}

std::array<std::uint8_t, 14> BuildBmpFileHeader(DWORD imageSize) {
  std::vector<std::uint8_t> out;
  imaging::ByteWriter w(out);
  w.Le16(0x4D42);  // "BM"
  w.Le32(imageSize + 54);
  w.Le32(0);  // reserved
  w.Le32(54);
  std::array<std::uint8_t, 14> bytes{};
  std::copy(out.begin(), out.end(), bytes.begin());
  return bytes;
}

SnapshotOutcome SaveSnapshot(std::span<const std::uint8_t> frameBlock, const std::wstring& chosenPath,
                             const SnapshotWriteOptions& options) {
  if (frameBlock.size() < sizeof(BITMAPINFOHEADER)) return SnapshotFailure(chosenPath, L"There is no picture yet.");
  if (chosenPath.size() > kMaxFullPathLength) return SnapshotFailure(chosenPath, PathTooLongMessage(chosenPath.size()));
  const imaging::ImageFormat format = imaging::FormatFromExtension(FileExtensionOf(chosenPath));
  if (format == imaging::ImageFormat::Unknown)
    return SnapshotFailure(chosenPath, L"Choose a name ending in one of the extensions the dialog offers.");
  const std::vector<std::uint8_t> bmp = BmpFileOf(frameBlock);
  if (bmp.empty()) return SnapshotFailure(chosenPath, L"There is no picture yet.");

  HRESULT saved = S_OK;
  if (format == imaging::ImageFormat::Bmp) {
    saved = imaging::SaveFileBytes(chosenPath.c_str(), bmp, options.existing);
  } else {
    const std::optional<imaging::Image> image = imaging::ParseBmp(bmp);
    if (!image) return SnapshotFailure(chosenPath, L"The picture could not be read.");
    saved = imaging::SaveImage(*image, chosenPath.c_str(), format, options.progress, options.existing,
                               {options.jpegQuality});
  }
  if (FAILED(saved)) return SnapshotFailure(chosenPath, SystemMessage(static_cast<DWORD>(saved)));
  return {true, {}};
}
