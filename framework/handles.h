#pragma once
// Move-only owners for Win32 handles: one kind per way a handle is released.
// Owned handles are Unique*; a raw handle member is borrowed and says so.
#include <windows.h>

#include <utility>

namespace fw {

template <typename Traits>
class UniqueHandle {
 public:
  using handle_type = typename Traits::handle_type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(handle_type h) noexcept : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  handle_type get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
  handle_type release() noexcept { return std::exchange(h_, Traits::invalid()); }
  void reset(handle_type h = Traits::invalid()) noexcept {
    handle_type old = std::exchange(h_, h);
    if (old != Traits::invalid()) Traits::close(old);
  }
  // For APIs that return a handle through an out parameter.
  handle_type* put() noexcept {
    reset();
    return &h_;
  }

 private:
  handle_type h_ = Traits::invalid();
};

template <typename H>
struct GdiObjectTraits {
  using handle_type = H;
  static H invalid() noexcept { return nullptr; }
  static void close(H h) noexcept { ::DeleteObject(h); }
};

struct KernelHandleTraits {
  using handle_type = HANDLE;
  static HANDLE invalid() noexcept { return nullptr; }
  static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};

// CreateFile reports failure as INVALID_HANDLE_VALUE, not null.
struct FileHandleTraits {
  using handle_type = HANDLE;
  static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { ::CloseHandle(h); }
};

// FindFirstFile's search handle: INVALID_HANDLE_VALUE on failure, released with FindClose.
struct FindHandleTraits {
  using handle_type = HANDLE;
  static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) noexcept { ::FindClose(h); }
};

struct MemoryDcTraits {
  using handle_type = HDC;
  static HDC invalid() noexcept { return nullptr; }
  static void close(HDC h) noexcept { ::DeleteDC(h); }
};

struct RegistryKeyTraits {
  using handle_type = HKEY;
  static HKEY invalid() noexcept { return nullptr; }
  static void close(HKEY h) noexcept { ::RegCloseKey(h); }
};

struct ModuleTraits {
  using handle_type = HMODULE;
  static HMODULE invalid() noexcept { return nullptr; }
  static void close(HMODULE h) noexcept { ::FreeLibrary(h); }
};

struct MetafileTraits {
  using handle_type = HMETAFILE;
  static HMETAFILE invalid() noexcept { return nullptr; }
  static void close(HMETAFILE h) noexcept { ::DeleteMetaFile(h); }
};

struct MenuTraits {
  using handle_type = HMENU;
  static HMENU invalid() noexcept { return nullptr; }
  static void close(HMENU h) noexcept { ::DestroyMenu(h); }
};

struct WindowTraits {
  using handle_type = HWND;
  static HWND invalid() noexcept { return nullptr; }
  static void close(HWND h) noexcept { ::DestroyWindow(h); }
};

using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;  // threads, events
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueMetafile = UniqueHandle<MetafileTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;

// A window's DC from GetDC (or GetWindowDC), given back with ReleaseDC.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  ~ScopedWindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND hwnd_;  // not owned
  HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
  ~ScopedSelectObject() {
    if (old_) ::SelectObject(dc_, old_);
  }

 private:
  HDC dc_;       // not owned
  HGDIOBJ old_;  // not owned: belongs to the DC
};

// BeginPaint/EndPaint as a pair.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd_, &ps_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { ::EndPaint(hwnd_, &ps_); }
  HDC dc() const noexcept { return dc_; }
  const RECT& rect() const noexcept { return ps_.rcPaint; }

 private:
  HWND hwnd_;  // not owned
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

}  // namespace fw
