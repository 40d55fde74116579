#include "panel/snapshot.h"

#include <algorithm>
#include <vector>

#include "framework/file_dialog.h"
#include "framework/handles.h"
#include "framework/system_message.h"
#include "imaging/byte_writer.h"
#include "imaging/image_file.h"

namespace {

namespace imaging = q7::imaging;

// Deletes the temporary file however the command ends.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }
  // Takes the next path; the previous one, possibly a partial file, is removed.
  void Adopt(const std::wstring& path) {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
    path_ = path;
  }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

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

SnapshotOutcome Failure(const std::wstring& chosenPath, const std::wstring& why) {
  return {false, L"The snapshot could not be saved to \"" + chosenPath + L"\".\n" + why};
}

}  // namespace

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

std::wstring SnapshotTempPath() {
  wchar_t path[MAX_PATH] = L"";
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path) + L"Bitmap";
}

std::wstring SnapshotFallbackTempPath() {
  wchar_t folder[MAX_PATH] = L"";
  ::GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + L"Q7Viewer.exeBitmap";
}

SnapshotOutcome SaveSnapshot(std::span<const std::uint8_t> frameBlock, const std::wstring& chosenPath,
                             const std::wstring& tempPath, const std::wstring& fallbackTempPath) {
  if (frameBlock.size() < sizeof(BITMAPINFOHEADER)) return Failure(chosenPath, L"There is no picture yet.");
  if (chosenPath.size() > kMaxFullPathLength) return Failure(chosenPath, PathTooLongMessage(chosenPath.size()));
  const imaging::ImageFormat format = imaging::FormatFromExtension(FileExtensionOf(chosenPath));
  if (format == imaging::ImageFormat::Unknown)
    return Failure(chosenPath, L"Choose a name ending in one of the extensions the dialog offers.");
  const std::vector<std::uint8_t> bmp = BmpFileOf(frameBlock);
  if (bmp.empty()) return Failure(chosenPath, L"There is no picture yet.");

  TemporaryFile temp;
  HRESULT written = E_FAIL;
  for (const std::wstring& candidate : {tempPath, fallbackTempPath}) {
    temp.Adopt(candidate);
    written = imaging::WriteFileBytes(candidate.c_str(), bmp);
    if (SUCCEEDED(written)) break;
  }
  if (FAILED(written))
    return Failure(chosenPath, L"No temporary file could be written: " + SystemMessage(static_cast<DWORD>(written)));

  // Every format reaches the chosen name only when complete: a full disk leaves nothing there.
  HRESULT saved = S_OK;
  if (format == imaging::ImageFormat::Bmp) {
    saved = imaging::SaveFileBytes(chosenPath.c_str(), bmp);
  } else {
    imaging::Image image;
    if (FAILED(imaging::LoadBmpFile(temp.Path().c_str(), image)))
      return Failure(chosenPath, L"The picture could not be read back.");
    saved = imaging::SaveImage(image, chosenPath.c_str(), format);
  }
  if (FAILED(saved)) return Failure(chosenPath, SystemMessage(static_cast<DWORD>(saved)));
  return {true, {}};
}
