#include "tests/resources/resource_module.h"

#include <algorithm>
#include <cwctype>

namespace q7test {
namespace {

struct Collector {
  std::vector<ResourceKey> keys;
  std::wstring type;
  std::wstring name;
};

BOOL CALLBACK OnLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  auto* c = reinterpret_cast<Collector*>(param);
  c->keys.push_back({c->type, c->name, language});
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto* c = reinterpret_cast<Collector*>(param);
  c->name = IdText(name);
  EnumResourceLanguagesW(module, type, name, OnLanguage, param);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  auto* c = reinterpret_cast<Collector*>(param);
  c->type = IdText(type);
  EnumResourceNamesW(module, type, OnName, param);
  return TRUE;
}

// Reads the sz_Or_Ord fields of dialog templates: 0 (none), 0xFFFF + ordinal, or a string.
class Reader {
 public:
  explicit Reader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
  template <typename T>
  T Get() {
    T v = ReadAt<T>(bytes_, pos_);
    pos_ += sizeof(T);
    if (pos_ > bytes_.size()) failed_ = true;
    return v;
  }
  std::wstring String() {
    std::wstring s;
    for (;;) {
      const auto c = Get<wchar_t>();
      if (failed_ || c == 0) break;
      s.push_back(c);
    }
    return s;
  }
  std::wstring StringOrOrdinal(bool* is_ordinal = nullptr) {
    if (is_ordinal) *is_ordinal = false;
    const auto first = ReadAt<WORD>(bytes_, pos_);
    if (first == 0xFFFF) {
      pos_ += 2;
      if (is_ordinal) *is_ordinal = true;
      return L"#" + std::to_wstring(Get<WORD>());
    }
    return String();
  }
  void AlignDword() { pos_ = (pos_ + 3) & ~size_t{3}; }
  bool failed() const { return failed_; }

 private:
  const std::vector<BYTE>& bytes_;
  size_t pos_ = 0;
  bool failed_ = false;
};

std::wstring Upper(std::wstring s) {
  std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
  return s;
}

std::wstring PredefinedClassName(const std::wstring& ordinal) {
  const int value = std::stoi(ordinal.substr(1));
  switch (value) {
    case 0x80: return L"BUTTON";
    case 0x81: return L"EDIT";
    case 0x82: return L"STATIC";
    case 0x83: return L"LISTBOX";
    case 0x84: return L"SCROLLBAR";
    case 0x85: return L"COMBOBOX";
    default: return ordinal;
  }
}

}  // namespace

std::vector<ResourceKey> ListResources(HMODULE module) {
  Collector c;
  EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&c));
  std::sort(c.keys.begin(), c.keys.end());
  return c.keys;
}

DialogTemplate ParseDialogTemplate(const std::vector<BYTE>& bytes) {
  DialogTemplate t;
  Reader r(bytes);
  t.version = r.Get<WORD>();
  t.signature = r.Get<WORD>();
  if (t.version != 1 || t.signature != 0xFFFF) return t;  // not an extended template
  t.help_id = r.Get<DWORD>();
  t.ex_style = r.Get<DWORD>();
  t.style = r.Get<DWORD>();
  const WORD count = r.Get<WORD>();
  t.x = r.Get<short>();
  t.y = r.Get<short>();
  t.cx = r.Get<short>();
  t.cy = r.Get<short>();
  t.menu = r.StringOrOrdinal();
  t.window_class = r.StringOrOrdinal();
  t.title = r.String();
  if (t.style & (DS_SETFONT | DS_SHELLFONT)) {
    t.point_size = r.Get<WORD>();
    t.weight = r.Get<WORD>();
    t.italic = r.Get<BYTE>();
    t.charset = r.Get<BYTE>();
    t.typeface = r.String();
  }
  for (WORD i = 0; i < count && !r.failed(); ++i) {
    r.AlignDword();
    DialogItem item{};
    item.help_id = r.Get<DWORD>();
    item.ex_style = r.Get<DWORD>();
    item.style = r.Get<DWORD>();
    item.x = r.Get<short>();
    item.y = r.Get<short>();
    item.cx = r.Get<short>();
    item.cy = r.Get<short>();
    item.id = r.Get<int32_t>();
    item.window_class = r.StringOrOrdinal(&item.class_is_ordinal);
    item.window_class = item.class_is_ordinal ? PredefinedClassName(item.window_class) : Upper(item.window_class);
    item.text = r.StringOrOrdinal();
    item.extra_count = r.Get<WORD>();
    // creation data follows, WORD aligned
    for (WORD b = 0; b < item.extra_count; ++b) r.Get<BYTE>();
    t.items.push_back(item);
  }
  t.ok = !r.failed() && t.items.size() == count;
  return t;
}

}  // namespace q7test
