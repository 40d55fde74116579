#include "imaging/image_file.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <string_view>

#include "framework/com_apartment.h"
#include "framework/handles.h"
#include "imaging/bmp_file.h"
#include "imaging/gif_encoder.h"
#include "imaging/ico_encoder.h"
#include "imaging/jpeg2000_encoder.h"
#include "imaging/simple_formats.h"
#include "imaging/wic_encoder.h"
#include "imaging/wmf_encoder.h"

namespace q7::imaging {
namespace {

HRESULT LastError() {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

constexpr DWORD kMaxChunk = 1u << 30;

struct FullDisk {
  std::mutex lock;
  std::wstring folder;  // guarded by lock; empty: no simulation
  std::uint64_t freeBytes = 0;
};
FullDisk& SimulatedFullDisk() {
  static FullDisk disk;
  return disk;
}

// How many bytes a file at `path` may take: unlimited unless a test simulates a full disk.
std::uint64_t RoomFor(const wchar_t* path) {
  FullDisk& disk = SimulatedFullDisk();
  std::lock_guard lock(disk.lock);
  const std::wstring_view head = std::wstring_view(path).substr(0, disk.folder.size());
  if (disk.folder.empty() || CompareStringOrdinal(head.data(), static_cast<int>(head.size()), disk.folder.c_str(),
                                                  static_cast<int>(disk.folder.size()), TRUE) != CSTR_EQUAL) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  return disk.freeBytes;
}

}  // namespace

void SimulateFullDisk(const std::wstring& folder, std::uint64_t freeBytes) {
  FullDisk& disk = SimulatedFullDisk();
  std::lock_guard lock(disk.lock);
  disk.folder = folder;
  disk.freeBytes = freeBytes;
}

HRESULT ReadFileBytes(const wchar_t* path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  fw::UniqueFile file(
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return LastError();
  if (size.QuadPart > 0x7FFFFFFF) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kMaxChunk));
    if (!ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) return LastError();
    if (read == 0) return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
    done += read;
  }
  return S_OK;
}

HRESULT WriteFileBytes(const wchar_t* path, std::span<const std::uint8_t> bytes) {
  fw::UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  HRESULT hr = S_OK;
  std::uint64_t room = RoomFor(path);
  std::size_t done = 0;
  while (done < bytes.size() && SUCCEEDED(hr)) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::uint64_t>({bytes.size() - done, kMaxChunk, room}));
    if (chunk == 0) {
      hr = HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    } else if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) {
      hr = LastError();
    } else if (written != chunk) {
      hr = HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    }
    done += written;
    room -= written;
  }
  // Closing can be the moment a deferred write fails.
  if (!::CloseHandle(file.release()) && SUCCEEDED(hr)) hr = LastError();
  if (FAILED(hr)) DeleteFileW(path);  // a truncated picture is worse than none
  return hr;
}

HRESULT SaveFileBytes(const wchar_t* path, std::span<const std::uint8_t> bytes, ExistingFile existing) {
  const std::wstring target = path;
  const std::size_t slash = target.find_last_of(L"\\/");
  // The folder keeps its last backslash, so "C:\\x.png" gives the root, not C:'s current folder.
  const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash + 1);
  wchar_t temporary[MAX_PATH] = L"";
  // In the target's folder, so the rename is on the same disk and cannot fail half-way.
  if (!GetTempFileNameW(folder.c_str(), L"q7", 0, temporary)) {
    // What it reports for a folder that is not there.
    return GetLastError() == ERROR_DIRECTORY ? HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) : LastError();
  }
  HRESULT hr = WriteFileBytes(temporary, bytes);
  const DWORD replace = existing == ExistingFile::Replace ? MOVEFILE_REPLACE_EXISTING : 0;
  if (SUCCEEDED(hr) && !MoveFileExW(temporary, path, replace)) hr = LastError();
  if (FAILED(hr)) DeleteFileW(temporary);
  return hr;
}

HRESULT LoadBmpFile(const wchar_t* path, Image& image) {
  std::vector<std::uint8_t> bytes;
  const HRESULT hr = ReadFileBytes(path, bytes);
  if (FAILED(hr)) return hr;
  std::optional<Image> parsed = ParseBmp(bytes);
  if (!parsed) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
  image = std::move(*parsed);
  return S_OK;
}

HRESULT EncodeImage(const Image& image, ImageFormat format, std::vector<std::uint8_t>& bytes,
                    const EncodeProgress& progress, const JpegSettings& jpeg) {
  bytes.clear();
  if (!image.IsValid() || format == ImageFormat::Unknown) return E_INVALIDARG;
  if (format == ImageFormat::Jpeg) return EncodeJpeg(image, jpeg, bytes, progress);
  if (IsWicFormat(format)) {
    const ComApartment com;
    if (FAILED(com.Result())) return com.Result();
    return EncodeWithWic(image, format, bytes, progress);
  }
  switch (format) {
    case ImageFormat::Bmp: bytes = EncodeBmp(image); break;
    case ImageFormat::Gif: bytes = EncodeGif(image); break;
    case ImageFormat::Ico: bytes = EncodeIco(image); break;
    case ImageFormat::Tga: bytes = EncodeTga(image); break;
    case ImageFormat::Pcx: bytes = EncodePcx(image); break;
    case ImageFormat::Wbmp: bytes = EncodeWbmp(image); break;
    case ImageFormat::Wmf: bytes = EncodeWmf(image); break;
    case ImageFormat::Jp2: bytes = EncodeJp2(image, progress); break;
    case ImageFormat::Jpc: bytes = EncodeJpc(image, progress); break;
    case ImageFormat::Pgx: bytes = EncodePgx(image); break;
    case ImageFormat::Pnm: bytes = EncodePnm(image); break;
    case ImageFormat::SunRaster: bytes = EncodeSunRaster(image); break;
    default: return E_INVALIDARG;
  }
  return bytes.empty() ? HRESULT_FROM_WIN32(ERROR_INVALID_DATA) : S_OK;
}

HRESULT SaveImage(const Image& image, const wchar_t* path, ImageFormat format, const EncodeProgress& progress,
                  ExistingFile existing, const JpegSettings& jpeg) {
  std::vector<std::uint8_t> bytes;
  const HRESULT hr = EncodeImage(image, format, bytes, progress, jpeg);
  if (FAILED(hr)) return hr;
  return SaveFileBytes(path, bytes, existing);
}

}  // namespace q7::imaging
