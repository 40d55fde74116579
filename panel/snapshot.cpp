#include "panel/snapshot.h"

#include <cstring>
#include <mutex>

#include "framework/file_dialog.h"
#include "framework/handles.h"
#include "imaging/image_file.h"

namespace {

namespace imaging = q7::imaging;

void PutLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

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

std::wstring SystemMessage(HRESULT result) {
  const DWORD code = HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<DWORD>(result);
  wchar_t* text = nullptr;
  ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::wstring message = text ? text : L"";
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? L"error " + std::to_wstring(code) : message;
}

SnapshotOutcome Failure(const std::wstring& chosenPath, const std::wstring& why) {
  return {false, L"The snapshot could not be saved to \"" + chosenPath + L"\".\n" + why};
}

}  // namespace

std::array<std::uint8_t, 14> BuildBmpFileHeader(DWORD imageSize) {
  std::array<std::uint8_t, 14> bytes{};
  PutLe16(&bytes[0], 0x4D42);  // "BM"
  PutLe32(&bytes[2], imageSize + 54);
  PutLe32(&bytes[10], 54);
  return bytes;
}

std::vector<std::uint8_t> CopyFrameBlock(const FrameBuffer& buffer, CCriticalSection& frameLock) {
  std::lock_guard lock(frameLock);
  const auto block = buffer.Current();
  if (!block) return {};
  return std::vector<std::uint8_t>(block->Data(), block->Data() + block->Size());
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
  if (FAILED(written)) return Failure(chosenPath, L"No temporary file could be written: " + SystemMessage(written));

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
  if (FAILED(saved)) return Failure(chosenPath, SystemMessage(saved));
  return {true, {}};
}
