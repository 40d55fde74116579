#pragma once
// The module's entry points: load the snapshot's BMP, save a picture in a chosen format.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/encode_progress.h"
#include "imaging/image.h"
#include "imaging/image_format.h"
#include "imaging/jpeg_encoder.h"

namespace q7::imaging {

// Whole-file helpers; a failure carries the Win32 error as an HRESULT.
HRESULT ReadFileBytes(const wchar_t* path, std::vector<std::uint8_t>& bytes);
// Creates or replaces the file. A failed write or close deletes the partial file.
HRESULT WriteFileBytes(const wchar_t* path, std::span<const std::uint8_t> bytes);
// Writes the bytes under a temporary name in the target's folder and, once all are written,
// renames that file to `path`, replacing a file of that name unless told not to (then a file
// of that name fails the call with ERROR_ALREADY_EXISTS). A failure leaves no partial file
// behind and an existing file of that name as it was.
enum class ExistingFile { Replace, Keep };
HRESULT SaveFileBytes(const wchar_t* path, std::span<const std::uint8_t> bytes,
                      ExistingFile existing = ExistingFile::Replace);

// For tests: from now on, writing a file under `folder` meets a disk with only `freeBytes`
// free (each file on its own): what fits is written, then the write fails with
// ERROR_DISK_FULL. An empty folder ends the simulation.
void SimulateFullDisk(const std::wstring& folder, std::uint64_t freeBytes);

// Loads a 24-bit BMP (see ParseBmp). A file that is not such a BMP gives
// HRESULT_FROM_WIN32(ERROR_INVALID_DATA).
HRESULT LoadBmpFile(const wchar_t* path, Image& image);

// Encodes the picture in memory (COM is initialised here for the WIC formats if the thread
// has not done so). E_INVALIDARG for ImageFormat::Unknown or an invalid picture,
// HRESULT_FROM_WIN32(ERROR_INVALID_DATA) when the format cannot hold the picture. JPEG, PNG,
// TIFF and JPEG 2000 report their progress when asked; the other formats never do. `jpeg`
// concerns JPEG only.
HRESULT EncodeImage(const Image& image, ImageFormat format, std::vector<std::uint8_t>& bytes,
                    const EncodeProgress& progress = {}, const JpegSettings& jpeg = {});

// EncodeImage, then SaveFileBytes. S_OK only when the whole file was written.
HRESULT SaveImage(const Image& image, const wchar_t* path, ImageFormat format, const EncodeProgress& progress = {},
                  ExistingFile existing = ExistingFile::Replace, const JpegSettings& jpeg = {});

}  // namespace q7::imaging
