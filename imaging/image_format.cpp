#include "imaging/image_format.h"

#include <array>

namespace q7::imaging {
namespace {

struct ExtensionRow {
  std::string_view extension;  // upper case, no dot
  ImageFormat format;
};

// Every extension the save dialog offers, plus the usual spellings of the same formats.
constexpr std::array kExtensions{
    ExtensionRow{"BMP", ImageFormat::Bmp},   ExtensionRow{"GIF", ImageFormat::Gif},
    ExtensionRow{"JPG", ImageFormat::Jpeg},  ExtensionRow{"JPEG", ImageFormat::Jpeg},
    ExtensionRow{"JPE", ImageFormat::Jpeg},  ExtensionRow{"PNG", ImageFormat::Png},
    ExtensionRow{"ICO", ImageFormat::Ico},   ExtensionRow{"TIF", ImageFormat::Tiff},
    ExtensionRow{"TIFF", ImageFormat::Tiff}, ExtensionRow{"TGA", ImageFormat::Tga},
    ExtensionRow{"PCX", ImageFormat::Pcx},   ExtensionRow{"WBMP", ImageFormat::Wbmp},
    ExtensionRow{"WMF", ImageFormat::Wmf},   ExtensionRow{"JP2", ImageFormat::Jp2},
    ExtensionRow{"JPC", ImageFormat::Jpc},   ExtensionRow{"J2K", ImageFormat::Jpc},
    ExtensionRow{"PGX", ImageFormat::Pgx},   ExtensionRow{"PNM", ImageFormat::Pnm},
    ExtensionRow{"PPM", ImageFormat::Pnm},   ExtensionRow{"RAS", ImageFormat::SunRaster},
};

template <typename Char>
ImageFormat Lookup(std::basic_string_view<Char> extension) {
  if (!extension.empty() && extension.front() == Char('.')) extension.remove_prefix(1);
  for (const ExtensionRow& row : kExtensions) {
    if (row.extension.size() != extension.size()) continue;
    bool equal = true;
    for (std::size_t i = 0; i < extension.size() && equal; ++i) {
      Char c = extension[i];
      if (c >= Char('a') && c <= Char('z')) c = static_cast<Char>(c - Char('a') + Char('A'));
      equal = c == static_cast<Char>(row.extension[i]);
    }
    if (equal) return row.format;
  }
  return ImageFormat::Unknown;
}

template <typename Char>
ImageFormat FromPath(std::basic_string_view<Char> path) {
  // Only a dot inside the last path component starts an extension (C:\a.b\name has none).
  for (std::size_t i = path.size(); i-- > 0;) {
    const Char c = path[i];
    if (c == Char('.')) return Lookup(path.substr(i + 1));
    if (c == Char('\\') || c == Char('/') || c == Char(':')) break;
  }
  return ImageFormat::Unknown;
}

}  // namespace

ImageFormat FormatFromExtension(std::wstring_view extension) { return Lookup(extension); }
ImageFormat FormatFromExtension(std::string_view extension) { return Lookup(extension); }
ImageFormat FormatFromPath(std::wstring_view path) { return FromPath(path); }
ImageFormat FormatFromPath(std::string_view path) { return FromPath(path); }

std::wstring_view DefaultExtension(ImageFormat format) {
  switch (format) {
    case ImageFormat::Bmp: return L"bmp";
    case ImageFormat::Gif: return L"gif";
    case ImageFormat::Jpeg: return L"jpg";
    case ImageFormat::Png: return L"png";
    case ImageFormat::Ico: return L"ico";
    case ImageFormat::Tiff: return L"tif";
    case ImageFormat::Tga: return L"tga";
    case ImageFormat::Pcx: return L"pcx";
    case ImageFormat::Wbmp: return L"wbmp";
    case ImageFormat::Wmf: return L"wmf";
    case ImageFormat::Jp2: return L"jp2";
    case ImageFormat::Jpc: return L"jpc";
    case ImageFormat::Pgx: return L"pgx";
    case ImageFormat::Pnm: return L"pnm";
    case ImageFormat::SunRaster: return L"ras";
    case ImageFormat::Unknown: break;
  }
  return L"";
}

}  // namespace q7::imaging
