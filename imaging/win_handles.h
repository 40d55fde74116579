#pragma once
// Move-only owners for the Windows resources this module creates.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace q7::imaging {

// A kernel file handle, closed with CloseHandle. Close() reports the result for callers that
// must know whether buffered data reached the disk.
class UniqueFile {
 public:
  UniqueFile() = default;
  explicit UniqueFile(HANDLE h) : handle_(h) {}
  UniqueFile(UniqueFile&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  UniqueFile& operator=(UniqueFile&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  ~UniqueFile() { Close(); }

  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  BOOL Close() {
    if (!IsValid()) return TRUE;
    return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A finished Windows metafile (HMETAFILE), deleted with DeleteMetaFile.
class UniqueMetafile {
 public:
  explicit UniqueMetafile(HMETAFILE h = nullptr) : handle_(h) {}
  UniqueMetafile(UniqueMetafile&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueMetafile& operator=(UniqueMetafile&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  UniqueMetafile(const UniqueMetafile&) = delete;
  UniqueMetafile& operator=(const UniqueMetafile&) = delete;
  ~UniqueMetafile() { Reset(); }

  HMETAFILE Get() const { return handle_; }
  void Reset() {
    if (handle_ != nullptr) DeleteMetaFile(std::exchange(handle_, nullptr));
  }

 private:
  HMETAFILE handle_;
};

// The recording DC of a metafile. Finish() closes it and hands over the metafile; a DC that is
// never finished is closed and its metafile thrown away.
class MetafileRecorder {
 public:
  explicit MetafileRecorder(HDC dc) : dc_(dc) {}
  MetafileRecorder(const MetafileRecorder&) = delete;
  MetafileRecorder& operator=(const MetafileRecorder&) = delete;
  ~MetafileRecorder() { Finish(); }

  HDC Get() const { return dc_; }
  UniqueMetafile Finish() {
    if (dc_ == nullptr) return UniqueMetafile{};
    return UniqueMetafile{CloseMetaFile(std::exchange(dc_, nullptr))};
  }

 private:
  HDC dc_;
};

// COM for the calling thread, for as long as the object lives. A thread already in a
// multithreaded apartment (RPC_E_CHANGED_MODE) can use COM as it is, so that is not a failure.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  HRESULT Result() const { return result_ == RPC_E_CHANGED_MODE ? S_OK : result_; }

 private:
  HRESULT result_;
};

}  // namespace q7::imaging
