// Writes the synthetic picture once per format into a folder, for checks with independent
// readers on the Linux side: write_samples <folder> <width> <height>. The picture itself goes
// to source.bmp. Prints one line per file; exits non-zero if any save fails.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imaging/image_file.h"
#include "tests/imaging/camera_like_picture.h"

using namespace q7::imaging;

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: write_samples <folder> <width> <height>\n");
    return 2;
  }
  const std::wstring folder = argv[1];
  const Image picture = testing::CameraLikePicture(_wtoi(argv[2]), _wtoi(argv[3]));
  int failures = 0;
  const ImageFormat formats[] = {ImageFormat::Bmp,  ImageFormat::Gif,  ImageFormat::Jpeg,     ImageFormat::Png,
                                 ImageFormat::Ico,  ImageFormat::Tiff, ImageFormat::Tga,      ImageFormat::Pcx,
                                 ImageFormat::Wbmp, ImageFormat::Wmf,  ImageFormat::Jp2,      ImageFormat::Jpc,
                                 ImageFormat::Pgx,  ImageFormat::Pnm,  ImageFormat::SunRaster};
  for (ImageFormat format : formats) {
    const std::wstring name = (format == ImageFormat::Bmp ? std::wstring(L"source.") : std::wstring(L"sample.")) +
                              std::wstring(DefaultExtension(format));
    const HRESULT hr = SaveImage(picture, (folder + L"\\" + name).c_str(), format);
    std::printf("%-12ls 0x%08lx\n", name.c_str(), static_cast<unsigned long>(hr));
    if (FAILED(hr)) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
