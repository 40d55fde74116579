// Helpers for the resource library tests: loading the library, reading raw resources and
// decoding extended dialog templates.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace q7test {

inline constexpr WORD kKorean = MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT);  // 0x0412
inline constexpr wchar_t kLibraryName[] = L"Q7Resource.dll";

// Owns a module loaded by LoadLibrary.
class LoadedModule {
 public:
  explicit LoadedModule(const wchar_t* name, DWORD flags = 0) : module_(LoadLibraryExW(name, nullptr, flags)) {}
  ~LoadedModule() {
    if (module_) FreeLibrary(module_);
  }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

// The library, loaded once for the whole test program the way the viewer loads it.
inline HMODULE Library() {
  static LoadedModule library(kLibraryName);
  return library.get();
}

// The bytes of one resource in the Korean language, or an empty vector when it is missing.
inline std::vector<BYTE> ResourceBytes(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language = kKorean) {
  HRSRC info = FindResourceExW(module, type, name, language);
  if (!info) return {};
  HGLOBAL loaded = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const auto* data = static_cast<const BYTE*>(LockResource(loaded));
  if (!data) return {};
  return std::vector<BYTE>(data, data + size);
}

inline std::vector<BYTE> ResourceBytes(HMODULE module, LPCWSTR type, int id) {
  return ResourceBytes(module, type, MAKEINTRESOURCEW(id));
}

template <typename T>
T ReadAt(const std::vector<BYTE>& bytes, size_t offset) {
  T value{};
  if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
  return value;
}

// One resource entry as the module's resource directory lists it.
struct ResourceKey {
  std::wstring type;  // "#n" for numeric types
  std::wstring name;  // "#n" for numeric names
  WORD language;
  bool operator<(const ResourceKey& o) const {
    if (type != o.type) return type < o.type;
    if (name != o.name) return name < o.name;
    return language < o.language;
  }
  bool operator==(const ResourceKey& o) const { return type == o.type && name == o.name && language == o.language; }
};

inline std::wstring IdText(LPCWSTR id) {
  if (IS_INTRESOURCE(id)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(id));
  return id;
}

inline LPCWSTR IdFromText(const std::wstring& text) {
  if (!text.empty() && text[0] == L'#') return MAKEINTRESOURCEW(std::stoi(text.substr(1)));
  return text.c_str();
}

std::vector<ResourceKey> ListResources(HMODULE module);

// ---- Extended dialog templates ----

struct DialogItem {
  DWORD help_id;
  DWORD ex_style;
  DWORD style;
  short x, y, cx, cy;
  int32_t id;
  std::wstring window_class;  // upper case; predefined classes by name ("BUTTON")
  bool class_is_ordinal;
  std::wstring text;  // "#n" when the title is a resource ordinal
  WORD extra_count;
};

struct DialogTemplate {
  WORD version = 0;
  WORD signature = 0;
  DWORD help_id = 0;
  DWORD ex_style = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring menu;
  std::wstring window_class;
  std::wstring title;
  WORD point_size = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charset = 0;
  std::wstring typeface;
  std::vector<DialogItem> items;
  bool ok = false;
};

DialogTemplate ParseDialogTemplate(const std::vector<BYTE>& bytes);

}  // namespace q7test
