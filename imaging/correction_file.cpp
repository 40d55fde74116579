#include "imaging/correction_file.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "framework/handles.h"
#include "framework/system_message.h"
#include "imaging/image_file.h"

namespace q7::imaging {
namespace {

constexpr char kMagic[8] = {'Q', '7', 'C', 'O', 'R', 'R', 0, 0};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 32;

struct Header {
  std::uint32_t version, kind, width, height, frames, bytesPerValue;
};

void Put(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t Get(std::span<const std::uint8_t> in, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
  return v;
}

std::size_t BytesPerValue(CorrectionKind kind) { return kind == CorrectionKind::Dark ? 1 : 2; }

std::wstring Size(std::uint64_t width, std::uint64_t height) {
  return std::to_wstring(width) + L" x " + std::to_wstring(height);
}

struct CoTaskText {
  void operator()(wchar_t* text) const noexcept { ::CoTaskMemFree(text); }
};

}  // namespace

const wchar_t* CorrectionKindName(CorrectionKind kind) {
  return kind == CorrectionKind::Dark ? L"dark frame" : L"flat field";
}

std::vector<std::uint8_t> EncodeCorrectionFile(const CorrectionPicture& p) {
  const std::size_t per = BytesPerValue(p.kind);
  std::vector<std::uint8_t> out(kHeaderBytes + p.Values() * per, 0);
  std::memcpy(out.data(), kMagic, sizeof kMagic);
  Put(out, 8, kVersion);
  Put(out, 12, p.kind == CorrectionKind::Dark ? 0 : 1);
  Put(out, 16, static_cast<std::uint32_t>(p.width));
  Put(out, 20, static_cast<std::uint32_t>(p.height));
  Put(out, 24, static_cast<std::uint32_t>(p.frames));
  Put(out, 28, static_cast<std::uint32_t>(per));
  std::uint8_t* values = out.data() + kHeaderBytes;
  if (p.kind == CorrectionKind::Dark) {
    std::memcpy(values, p.dark.data(), p.Values());
  } else {
    for (std::size_t i = 0; i < p.Values(); ++i) {
      values[2 * i] = static_cast<std::uint8_t>(p.flatSum[i]);
      values[2 * i + 1] = static_cast<std::uint8_t>(p.flatSum[i] >> 8);
    }
  }
  return out;
}

DecodedCorrection DecodeCorrectionFile(std::span<const std::uint8_t> bytes, CorrectionKind kind, int width,
                                       int height) {
  DecodedCorrection d;
  const std::uint64_t values = static_cast<std::uint64_t>(width) * height * 3;
  const std::uint64_t expected = kHeaderBytes + values * BytesPerValue(kind);
  if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    d.problem = L"it is not a " + std::wstring(CorrectionKindName(kind)) + L" of this program";
    return d;
  }
  const Header h{Get(bytes, 8), Get(bytes, 12), Get(bytes, 16), Get(bytes, 20), Get(bytes, 24), Get(bytes, 28)};
  if (h.version > kVersion) {
    d.newerVersion = true;
    d.problem = L"it was written by a newer version of the program";
    return d;
  }
  const std::uint32_t kindCode = kind == CorrectionKind::Dark ? 0 : 1;
  if (h.version != kVersion || h.kind != kindCode || h.bytesPerValue != BytesPerValue(kind) || h.frames == 0) {
    d.problem = L"it is not a " + std::wstring(CorrectionKindName(kind)) + L" of this program";
    return d;
  }
  if (h.width != static_cast<std::uint32_t>(width) || h.height != static_cast<std::uint32_t>(height)) {
    d.problem = L"it is for a picture of " + Size(h.width, h.height) + L", not " + Size(width, height);
    return d;
  }
  if (bytes.size() != expected) {
    d.problem =
        L"it holds " + std::to_wstring(bytes.size()) + L" bytes where " + std::to_wstring(expected) + L" belong";
    return d;
  }
  CorrectionPicture& p = d.picture;
  p.kind = kind, p.width = width, p.height = height, p.frames = static_cast<int>(h.frames);
  const std::uint8_t* in = bytes.data() + kHeaderBytes;
  if (kind == CorrectionKind::Dark) {
    p.dark.assign(in, in + values);
  } else {
    p.flatSum.resize(values);
    for (std::size_t i = 0; i < values; ++i) p.flatSum[i] = static_cast<std::uint16_t>(in[2 * i] | in[2 * i + 1] << 8);
  }
  d.ok = true;
  return d;
}

std::wstring CorrectionFileName(CorrectionKind kind, int width, int height, const std::wstring& calibration) {
  std::wstring name =
      (kind == CorrectionKind::Dark ? L"dark " : L"flat ") + std::to_wstring(width) + L"x" + std::to_wstring(height);
  // The dark frame is the sensor's own: the same through every objective.
  if (kind == CorrectionKind::Flat && !calibration.empty()) {
    std::wstring safe = calibration.substr(0, 64);
    for (wchar_t& c : safe)
      if (c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) c = L'_';
    name += L" " + safe;
  }
  return name + L".q7corr";
}

std::wstring DefaultCorrectionFolder() {
  wchar_t* raw = nullptr;  // allocated by the shell, freed by `local`
  const HRESULT hr = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &raw);
  const std::unique_ptr<wchar_t, CoTaskText> local(raw);
  if (FAILED(hr) || !local) return L"";
  return std::wstring(local.get()) + L"\\ORMELAN\\TK Lumora-Q7\\Corrections";
}

LoadedCorrection LoadCorrection(const std::wstring& folder, CorrectionKind kind, int width, int height,
                                const std::wstring& calibration) {
  LoadedCorrection loaded;
  const std::wstring path = folder + L"\\" + CorrectionFileName(kind, width, height, calibration);
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return loaded;
  const std::wstring stored = L"The stored " + std::wstring(CorrectionKindName(kind)) + L" \"" + path + L"\"";
  std::vector<std::uint8_t> bytes;
  if (const HRESULT hr = ReadFileBytes(path.c_str(), bytes); FAILED(hr)) {
    loaded.outcome = LoadedCorrection::Outcome::Refused;
    loaded.message = stored + L" could not be read, so it is not used.\n" + SystemMessage(static_cast<DWORD>(hr));
    return loaded;
  }
  DecodedCorrection decoded = DecodeCorrectionFile(bytes, kind, width, height);
  if (decoded.ok) {
    loaded.outcome = LoadedCorrection::Outcome::Loaded;
    loaded.picture = std::move(decoded.picture);
    return loaded;
  }
  loaded.outcome = LoadedCorrection::Outcome::Refused;
  if (decoded.newerVersion) {
    loaded.message = stored + L" is not used: " + decoded.problem + L".";
    return loaded;
  }
  // Nothing can ever use it: gone, so it is told once and a new one can take its place.
  ::DeleteFileW(path.c_str());
  loaded.message = stored + L" is damaged: " + decoded.problem + L". It was deleted and is not used; take the " +
                   CorrectionKindName(kind) + L" again.";
  return loaded;
}

StoredSize StoredSizeOtherThan(const std::wstring& folder, int width, int height, const std::wstring& calibration) {
  for (const CorrectionKind kind : {CorrectionKind::Dark, CorrectionKind::Flat}) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L"\\" + (kind == CorrectionKind::Dark ? L"dark *.q7corr" : L"flat *.q7corr");
    const fw::UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &found));
    if (!find) continue;
    do {
      int w = 0, h = 0;
      if (std::swscanf(found.cFileName + 5, L"%dx%d", &w, &h) != 2 || (w == width && h == height)) continue;
      // A flat field counts only under the calibration in use.
      if (found.cFileName == CorrectionFileName(kind, w, h, calibration)) return {w, h};
    } while (::FindNextFileW(find.get(), &found));
  }
  return {};
}

std::wstring SaveCorrection(const std::wstring& folder, const CorrectionPicture& picture,
                            const std::wstring& calibration) {
  const std::wstring path =
      folder + L"\\" + CorrectionFileName(picture.kind, picture.width, picture.height, calibration);
  const std::wstring failed = L"The " + std::wstring(CorrectionKindName(picture.kind)) +
                              L" is in use now but could not be kept for the next start in \"" + path + L"\".\n";
  const int made = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
    return failed + SystemMessage(static_cast<DWORD>(made));
  const HRESULT hr = SaveFileBytes(path.c_str(), EncodeCorrectionFile(picture));
  return FAILED(hr) ? failed + SystemMessage(static_cast<DWORD>(hr)) : L"";
}

}  // namespace q7::imaging
