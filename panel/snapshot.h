#pragma once
// Saving the current picture: the frame is written as a BMP to a temporary file beside the
// program, then copied (BMP) or encoded (every other format) to the file the user chose.
#include <windows.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "state/frame_buffer.h"

// The save dialog's filter, exactly as the user sees it.
inline constexpr wchar_t kSnapshotFilter[] =
    L"Bitmap File (*.BMP) |*.BMP|CompuServe GIF (*.GIF) |*.GIF|JPEG (*.JPG;*.JPEG;*.JPE)|*.JPG;*.JPEG;*.JPE|"
    L"PNG (*.PNG)|*.PNG|ICO (*.ICO)|*.ICO|TIF (*.TIF)|*.TIF|TGA (*.TGA)|*.TGA|PCX (*.PCX)|*.PCX|"
    L"WBMP (*.WBMP)|*.WBMP|WMF (*.WMF)|*.WMF|JP2 (*.JP2)|*.JP2|JPC (*.JPC)|*.JPC|PGX (*.PGX)|*.PGX|"
    L"PNM (*.PNM)|*.PNM|RAS (*.RAS)|*.RAS|";
inline constexpr wchar_t kSnapshotDefaultExtension[] = L"Capture File";

// The 14-byte BITMAPFILEHEADER that precedes the frame's 40-byte header and its pixels.
std::array<std::uint8_t, 14> BuildBmpFileHeader(DWORD imageSize);

// The program file's path with "Bitmap" appended; the fallback lives in the user's
// temporary folder, for a program folder that cannot be written.
std::wstring SnapshotTempPath();
std::wstring SnapshotFallbackTempPath();

struct SnapshotOutcome {
  bool saved = false;
  std::wstring error;  // what to tell the user when nothing was saved
};

// Writes `frameBlock` (a copy made by FrameBuffer::CopyBlock) to `chosenPath` in the format its
// extension names. The temporary BMP never outlives the call.
SnapshotOutcome SaveSnapshot(std::span<const std::uint8_t> frameBlock, const std::wstring& chosenPath,
                             const std::wstring& tempPath, const std::wstring& fallbackTempPath);
