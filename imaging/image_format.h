#pragma once
// The formats a snapshot can be saved in, and how a file name's extension picks one.
#include <string_view>

namespace q7::imaging {

enum class ImageFormat {
  Unknown,
  Bmp,
  Gif,
  Jpeg,
  Png,
  Ico,
  Tiff,
  Tga,
  Pcx,
  Wbmp,
  Wmf,
  Jp2,        // JPEG 2000 in its boxed file format
  Jpc,        // JPEG 2000 raw code stream
  Pgx,        // one-component JPEG 2000 test format
  Pnm,        // binary PPM (P6)
  SunRaster,  // .ras
};

// Extension with or without the leading dot, any letter case: "jpg", ".JPEG", "Ras".
ImageFormat FormatFromExtension(std::wstring_view extension);
ImageFormat FormatFromExtension(std::string_view extension);

// Looks at the text after the last dot of the file name part; Unknown when there is none.
ImageFormat FormatFromPath(std::wstring_view path);
ImageFormat FormatFromPath(std::string_view path);

// Lower-case extension without the dot that files of this format usually carry ("" for Unknown).
std::wstring_view DefaultExtension(ImageFormat format);

}  // namespace q7::imaging
