#include "imaging/image_file.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "imaging/bmp_file.h"
#include "imaging/wmf_encoder.h"
#include "tests/imaging/camera_like_picture.h"
#include "tests/imaging/decoded_picture.h"

namespace q7::imaging {
namespace {

// A folder of its own under %TEMP% for each test process; removed with its files.
class ImagingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"q7_imaging_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override {
    for (const auto& f : files_) {
      SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(f.c_str());
    }
    RemoveDirectoryW(folder_.c_str());
    CoUninitialize();
  }
  std::wstring Path(const std::wstring& name) {
    files_.push_back(folder_ + L"\\" + name);
    return files_.back();
  }
  static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  static std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }
  static std::vector<std::uint8_t> Read(const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(ReadFileBytes(path.c_str(), bytes), S_OK);
    return bytes;
  }

  std::wstring folder_;
  std::vector<std::wstring> files_;
};

using testing::DecodeWithWic;

TEST_F(ImagingFiles, EveryFormatWritesAFileWithItsSignature) {
  const Image picture = testing::CameraLikePicture(97, 61);
  const std::pair<ImageFormat, std::string> signatures[] = {
      {ImageFormat::Bmp, "BM"},
      {ImageFormat::Gif, "GIF8"},
      {ImageFormat::Jpeg, "\xFF\xD8\xFF"},
      {ImageFormat::Png, "\x89PNG"},
      {ImageFormat::Ico, std::string("\0\0\1\0", 4)},
      {ImageFormat::Tiff, "II*"},
      {ImageFormat::Tga, std::string("\0\0\2", 3)},
      {ImageFormat::Pcx, "\x0A\x05\x01"},
      {ImageFormat::Wbmp, std::string("\0\0", 2)},
      {ImageFormat::Wmf, "\xD7\xCD\xC6\x9A"},
      {ImageFormat::Jp2, std::string("\0\0\0\x0CjP  ", 8)},
      {ImageFormat::Jpc, "\xFF\x4F\xFF\x51"},
      {ImageFormat::Pgx, "PG ML"},
      {ImageFormat::Pnm, "P6"},
      {ImageFormat::SunRaster, "\x59\xA6\x6A\x95"},
  };
  for (const auto& [format, signature] : signatures) {
    const std::wstring path = Path(L"sample." + std::wstring(DefaultExtension(format)));
    ASSERT_EQ(SaveImage(picture, path.c_str(), format), S_OK) << static_cast<int>(format);
    const auto bytes = Read(path);
    ASSERT_GT(bytes.size(), signature.size());
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + signature.size()), signature) << static_cast<int>(format);
  }
}

TEST_F(ImagingFiles, LosslessWicFormatsDecodeToTheSamePixels) {
  const Image picture = testing::CameraLikePicture(131, 77);
  for (ImageFormat format : {ImageFormat::Png, ImageFormat::Tiff, ImageFormat::Bmp}) {
    const std::wstring path = Path(L"lossless." + std::wstring(DefaultExtension(format)));
    ASSERT_EQ(SaveImage(picture, path.c_str(), format), S_OK);
    const Image back = DecodeWithWic(path);
    ASSERT_EQ(back.width, picture.width);
    ASSERT_EQ(back.height, picture.height);
    EXPECT_EQ(back.bgr, picture.bgr) << static_cast<int>(format);
  }
}

TEST_F(ImagingFiles, GifAndJpegStayCloseToThePicture) {
  Image picture(64, 48);  // few colours, smooth: both formats should be near exact
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      std::uint8_t* p = picture.Row(y) + x * 3;
      p[0] = x < 32 ? 200 : 20;
      p[1] = y < 24 ? 180 : 60;
      p[2] = 90;
    }
  }
  const std::wstring gif = Path(L"close.gif");
  ASSERT_EQ(SaveImage(picture, gif.c_str(), ImageFormat::Gif), S_OK);
  // Four colours fit any palette, and Wine's own decoder reads them back exactly.
  EXPECT_EQ(DecodeWithWic(gif).bgr, picture.bgr);
  const std::wstring jpeg = Path(L"close.jpg");
  ASSERT_EQ(SaveImage(picture, jpeg.c_str(), ImageFormat::Jpeg), S_OK);
  const Image back = DecodeWithWic(jpeg);
  ASSERT_EQ(back.width, 64);
  EXPECT_LT(std::abs(back.Row(10)[10 * 3] - 200), 8);
  EXPECT_LT(std::abs(back.Row(40)[50 * 3 + 1] - 60), 8);
}

TEST_F(ImagingFiles, MetafilePlaysBackThePicture) {
  const Image picture = testing::CameraLikePicture(45, 31);
  const std::wstring path = Path(L"played.wmf");
  ASSERT_EQ(SaveImage(picture, path.c_str(), ImageFormat::Wmf), S_OK);
  const auto file = Read(path);
  HMETAFILE metafile =
      SetMetaFileBitsEx(static_cast<UINT>(file.size() - kPlaceableHeaderSize), file.data() + kPlaceableHeaderSize);
  ASSERT_NE(metafile, nullptr);

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), picture.width, -picture.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, target);
  EXPECT_TRUE(PlayMetaFile(dc, metafile));
  GdiFlush();
  const std::size_t stride = (picture.RowBytes() + 3) & ~std::size_t{3};
  Image played(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(static_cast<const std::uint8_t*>(bits) + stride * y, picture.RowBytes(), played.Row(y));
  }
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  DeleteMetaFile(metafile);
  EXPECT_EQ(played.bgr, picture.bgr);
}

TEST_F(ImagingFiles, LargeFrameMakesAnIconThatWindowsLoads) {
  const Image picture = testing::CameraLikePicture(2592, 1944);
  const std::wstring path = Path(L"frame.ico");
  ASSERT_EQ(SaveImage(picture, path.c_str(), ImageFormat::Ico), S_OK);
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour{};
  GetObjectW(info.hbmColor, sizeof(colour), &colour);
  EXPECT_EQ(colour.bmWidth, 256);
  EXPECT_EQ(colour.bmHeight, 192);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

TEST_F(ImagingFiles, LoadsTheSnapshotBmpAndRejectsOtherFiles) {
  const Image picture = testing::CameraLikePicture(640, 480);
  const std::wstring bmp = Path(L"snapshot.bmp");
  ASSERT_EQ(WriteFileBytes(bmp.c_str(), EncodeBmp(picture)), S_OK);
  Image loaded;
  ASSERT_EQ(LoadBmpFile(bmp.c_str(), loaded), S_OK);
  EXPECT_EQ(loaded.bgr, picture.bgr);

  const std::wstring png = Path(L"not_a.bmp");
  ASSERT_EQ(SaveImage(picture, png.c_str(), ImageFormat::Png), S_OK);
  EXPECT_EQ(LoadBmpFile(png.c_str(), loaded), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_EQ(LoadBmpFile(Path(L"missing.bmp").c_str(), loaded), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(ImagingFiles, ReportsAPathThatCannotBeWritten) {
  const Image picture = testing::CameraLikePicture(16, 16);
  const std::wstring noFolder = Path(L"no such folder\\x.png");
  EXPECT_EQ(SaveImage(picture, noFolder.c_str(), ImageFormat::Png), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(FAILED(SaveImage(picture, Path(L"no such folder\\x.jp2").c_str(), ImageFormat::Jp2)));

  // Another program holding the file open without sharing, e.g. a viewer showing the last shot.
  const std::wstring busy = Path(L"busy.tga");
  HANDLE holder = CreateFileW(busy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FAILED(SaveImage(picture, busy.c_str(), ImageFormat::Tga)));
  CloseHandle(holder);
  EXPECT_TRUE(Exists(busy));  // not ours to delete
  EXPECT_EQ(FilesIn(folder_), std::vector<std::wstring>{L"busy.tga"});
}

// A file reaches its name only when complete: a full disk leaves an existing file of that
// name as it was and no partial or temporary file beside it.
TEST_F(ImagingFiles, AFileIsReplacedOnlyWhenWrittenWhole) {
  const Image picture = testing::CameraLikePicture(64, 48);
  const std::wstring path = Path(L"shot.png");
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  ASSERT_EQ(WriteFileBytes(path.c_str(), old), S_OK);
  SimulateFullDisk(folder_, 1000);
  EXPECT_EQ(SaveImage(picture, path.c_str(), ImageFormat::Png), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  EXPECT_EQ(SaveFileBytes(path.c_str(), std::vector<std::uint8_t>(1001)), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  SimulateFullDisk(L"", 0);
  EXPECT_EQ(Read(path), old);
  EXPECT_EQ(FilesIn(folder_), std::vector<std::wstring>{L"shot.png"});
  ASSERT_EQ(SaveImage(picture, path.c_str(), ImageFormat::Png), S_OK);
  EXPECT_EQ(Read(path)[1], 'P');
  EXPECT_EQ(FilesIn(folder_), std::vector<std::wstring>{L"shot.png"});
}

// The slow encoders tell how far they are, rising to 100 %, and write the same file as
// without being asked.
TEST_F(ImagingFiles, SlowEncodersReportRisingProgressAndWriteTheSameFile) {
  const Image picture = testing::CameraLikePicture(300, 200);
  for (ImageFormat format : {ImageFormat::Png, ImageFormat::Jpeg, ImageFormat::Tiff, ImageFormat::Jp2}) {
    std::vector<int> reported;
    std::vector<std::uint8_t> withProgress, without;
    ASSERT_EQ(EncodeImage(picture, format, withProgress, [&](int percent) { reported.push_back(percent); }), S_OK);
    ASSERT_EQ(EncodeImage(picture, format, without), S_OK);
    EXPECT_EQ(withProgress, without) << static_cast<int>(format);
    ASSERT_GE(reported.size(), 3u) << static_cast<int>(format);
    EXPECT_TRUE(std::adjacent_find(reported.begin(), reported.end(), std::greater_equal<>()) == reported.end());
    EXPECT_EQ(reported.back(), 100) << static_cast<int>(format);
  }
}

TEST_F(ImagingFiles, ReportsWhatCannotBeEncodedAndWritesNothing) {
  const std::wstring path = Path(L"refused.jpc");
  EXPECT_EQ(SaveImage(Image(40000, 1), path.c_str(), ImageFormat::Jpc), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_EQ(SaveImage(testing::CameraLikePicture(4, 4), path.c_str(), ImageFormat::Unknown), E_INVALIDARG);
  EXPECT_EQ(SaveImage(Image(), path.c_str(), ImageFormat::Png), E_INVALIDARG);
  EXPECT_FALSE(Exists(path));
}

}  // namespace
}  // namespace q7::imaging
