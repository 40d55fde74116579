#include "imaging/image_format.h"

#include <gtest/gtest.h>

namespace q7::imaging {
namespace {

TEST(ImagingFormatTable, MapsEveryExtensionTheSaveDialogOffers) {
  const std::pair<const wchar_t*, ImageFormat> offered[] = {
      {L"BMP", ImageFormat::Bmp},   {L"GIF", ImageFormat::Gif},       {L"JPG", ImageFormat::Jpeg},
      {L"JPEG", ImageFormat::Jpeg}, {L"JPE", ImageFormat::Jpeg},      {L"PNG", ImageFormat::Png},
      {L"ICO", ImageFormat::Ico},   {L"TIF", ImageFormat::Tiff},      {L"TGA", ImageFormat::Tga},
      {L"PCX", ImageFormat::Pcx},   {L"WBMP", ImageFormat::Wbmp},     {L"WMF", ImageFormat::Wmf},
      {L"JP2", ImageFormat::Jp2},   {L"JPC", ImageFormat::Jpc},       {L"PGX", ImageFormat::Pgx},
      {L"PNM", ImageFormat::Pnm},   {L"RAS", ImageFormat::SunRaster},
  };
  for (const auto& [extension, format] : offered) {
    EXPECT_EQ(FormatFromExtension(std::wstring_view(extension)), format) << extension;
  }
}

TEST(ImagingFormatTable, IgnoresLetterCaseAndALeadingDot) {
  EXPECT_EQ(FormatFromExtension(std::wstring_view(L"jpg")), ImageFormat::Jpeg);
  EXPECT_EQ(FormatFromExtension(std::wstring_view(L".Jpe")), ImageFormat::Jpeg);
  EXPECT_EQ(FormatFromExtension(std::wstring_view(L".ras")), ImageFormat::SunRaster);
  EXPECT_EQ(FormatFromExtension(std::string_view("wBmP")), ImageFormat::Wbmp);
}

TEST(ImagingFormatTable, KnowsTheUsualOtherSpellings) {
  EXPECT_EQ(FormatFromExtension(std::wstring_view(L"tiff")), ImageFormat::Tiff);
  EXPECT_EQ(FormatFromExtension(std::wstring_view(L"j2k")), ImageFormat::Jpc);
  EXPECT_EQ(FormatFromExtension(std::wstring_view(L"ppm")), ImageFormat::Pnm);
}

TEST(ImagingFormatTable, RejectsUnknownAndPartialExtensions) {
  for (const wchar_t* e : {L"", L".", L"JP", L"JPGX", L"WBM", L"BMPP", L"Capture File", L"exe"}) {
    EXPECT_EQ(FormatFromExtension(std::wstring_view(e)), ImageFormat::Unknown) << e;
  }
}

TEST(ImagingFormatFromPath, TakesTheExtensionOfTheFileNameOnly) {
  EXPECT_EQ(FormatFromPath(std::wstring_view(L"C:\\Shots\\frame.JPEG")), ImageFormat::Jpeg);
  EXPECT_EQ(FormatFromPath(std::wstring_view(L"C:\\Shots\\frame.2024.wbmp")), ImageFormat::Wbmp);
  EXPECT_EQ(FormatFromPath(std::string_view("C:/a.b/frame.ras")), ImageFormat::SunRaster);
  EXPECT_EQ(FormatFromPath(std::wstring_view(L"C:\\Shots.png\\frame")), ImageFormat::Unknown);
  EXPECT_EQ(FormatFromPath(std::wstring_view(L"frame")), ImageFormat::Unknown);
  EXPECT_EQ(FormatFromPath(std::wstring_view(L"frame.")), ImageFormat::Unknown);
}

}  // namespace
}  // namespace q7::imaging
