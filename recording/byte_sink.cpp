#include "recording/byte_sink.h"

#include <algorithm>

namespace q7::recording {
namespace {

HRESULT LastError() {
  const DWORD error = ::GetLastError();
  return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

constexpr std::size_t kMaxWrite = 1u << 30;

}  // namespace

std::unique_ptr<ByteSink> CreateFileSink(const std::wstring& path, HRESULT& result) {
  fw::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    result = LastError();
    return nullptr;
  }
  result = S_OK;
  return std::make_unique<FileSink>(std::move(file));
}

HRESULT FileSink::WriteAtOffset(std::uint64_t offset, std::span<const std::uint8_t> bytes, std::uint64_t& written) {
  written = 0;
  while (written < bytes.size()) {
    // The offset travels with each write, so rewriting a header needs no seek back and forth.
    OVERLAPPED at{};
    const std::uint64_t position = offset + written;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const auto chunk = static_cast<DWORD>(std::min<std::uint64_t>(bytes.size() - written, kMaxWrite));
    DWORD done = 0;
    if (!::WriteFile(file_.get(), bytes.data() + written, chunk, &done, &at)) return LastError();
    written += done;
    if (done != chunk) return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
  }
  return S_OK;
}

HRESULT FileSink::Append(std::span<const std::uint8_t> bytes) {
  std::uint64_t written = 0;
  const HRESULT hr = WriteAtOffset(end_, bytes, written);
  end_ += written;
  return hr;
}

HRESULT FileSink::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset + bytes.size() > end_) return E_INVALIDARG;
  std::uint64_t written = 0;
  return WriteAtOffset(offset, bytes, written);
}

HRESULT FileSink::Truncate(std::uint64_t size) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_.get())) return LastError();
  end_ = size;
  return S_OK;
}

HRESULT FileSink::Flush() { return ::FlushFileBuffers(file_.get()) ? S_OK : LastError(); }

}  // namespace q7::recording
