#pragma once
// Saving one copy of the frame to a file in the format its name's extension names: a BMP is the
// frame as it is (file header, the frame's own header, its pixels), every other format is
// encoded. The file reaches its name only once it is whole.
#include <windows.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/encode_progress.h"
#include "imaging/image_file.h"
#include "state/frame_exchange.h"

// The save dialog's filter, exactly as the user sees it.
inline constexpr wchar_t kSnapshotFilter[] =
    L"Bitmap File (*.BMP) |*.BMP|CompuServe GIF (*.GIF) |*.GIF|JPEG (*.JPG;*.JPEG;*.JPE)|*.JPG;*.JPEG;*.JPE|"
    L"PNG (*.PNG)|*.PNG|ICO (*.ICO)|*.ICO|TIF (*.TIF)|*.TIF|TGA (*.TGA)|*.TGA|PCX (*.PCX)|*.PCX|"
    L"WBMP (*.WBMP)|*.WBMP|WMF (*.WMF)|*.WMF|JP2 (*.JP2)|*.JP2|JPC (*.JPC)|*.JPC|PGX (*.PGX)|*.PGX|"
    L"PNM (*.PNM)|*.PNM|RAS (*.RAS)|*.RAS|";
inline constexpr wchar_t kSnapshotDefaultExtension[] = L"Capture File";

// One entry of the filter: its text without trailing blanks ("PNG (*.PNG)") and the extension
// of its first pattern ("PNG").
struct SnapshotFormat {
  std::wstring label;
  std::wstring extension;
};
// The filter's entries in its order.
std::vector<SnapshotFormat> SnapshotFormats();

// The 14-byte BITMAPFILEHEADER that precedes the frame's 40-byte header and its pixels.
std::array<std::uint8_t, 14> BuildBmpFileHeader(DWORD imageSize);

struct SnapshotOutcome {
  bool saved = false;
  std::wstring error;  // what to tell the user when nothing was saved; names the file
};

// The outcome of a save that failed for `why`; its text names the file.
SnapshotOutcome SnapshotFailure(const std::wstring& path, const std::wstring& why);

struct SnapshotWriteOptions {
  q7::imaging::ExistingFile existing = q7::imaging::ExistingFile::Replace;
  q7::imaging::EncodeProgress progress;  // told by the encoders that can tell
};

// Writes `frameBlock` (a copy made by FrameExchange::CopyBlock) to `chosenPath` in the format its
// extension names.
SnapshotOutcome SaveSnapshot(std::span<const std::uint8_t> frameBlock, const std::wstring& chosenPath,
                             const SnapshotWriteOptions& options = {});
