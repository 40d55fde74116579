// The writer's refusals and its numbered files, in-process; what the files hold is read back by
// ffprobe and ffmpeg in Recording.IndependentReaders.
#include "recording/avi_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/recording/failing_disk.h"

namespace q7::recording {
namespace {

namespace fs = std::filesystem;

class AviWriting : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("q7_avi_" + std::to_string(::GetCurrentProcessId()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::wstring Path(const wchar_t* name) const { return (folder_ / name).wstring(); }

  const std::vector<std::uint8_t> frame_ = std::vector<std::uint8_t>(1001, 0xAB);
  fs::path folder_;
};

TEST_F(AviWriting, NeverReplacesAFile) {
  const std::wstring path = Path(L"there.avi");
  std::ofstream(fs::path(path)) << "mine";
  AviWriter writer(path, 64, 48, 30);
  EXPECT_EQ(writer.Open(), HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
  EXPECT_EQ(fs::file_size(path), 4u);
  EXPECT_EQ(writer.WriteFrame(frame_), HRESULT_FROM_WIN32(ERROR_FILE_EXISTS));
}

TEST_F(AviWriting, AFailureEndsTheFileAndEveryLaterCallReportsIt) {
  AviWriterOptions options;
  options.superIndexRoom = 4;
  options.create = testing_support::FailingDisk(AviHeaderSize(4) + 3000, ERROR_DISK_FULL);
  AviWriter writer(Path(L"full.avi"), 64, 48, 30, options);
  ASSERT_EQ(writer.Open(), S_OK);
  ASSERT_EQ(writer.WriteFrame(frame_), S_OK);
  ASSERT_EQ(writer.WriteFrame(frame_), S_OK);
  const HRESULT full = HRESULT_FROM_WIN32(ERROR_DISK_FULL);
  EXPECT_EQ(writer.WriteFrame(frame_), full);
  EXPECT_EQ(writer.Failure(), full);
  EXPECT_EQ(writer.Frames(), 2u) << "the two whole frames are indexed";
  // Two frames of 1009 bytes with their index and idx1, the third cut off.
  EXPECT_EQ(fs::file_size(Path(L"full.avi")), AviHeaderSize(4) + 2 * 1010 + StandardIndexSize(2) + LegacyIndexSize(2));
  EXPECT_EQ(writer.WriteFrame(frame_), full);
  EXPECT_EQ(writer.Commit(), full);
  EXPECT_EQ(writer.Close(), full);

  // A disk too full for even the header leaves no file behind.
  options.create = testing_support::FailingDisk(100, ERROR_DISK_FULL);
  AviWriter none(Path(L"none.avi"), 64, 48, 30, options);
  EXPECT_EQ(none.Open(), full);
  EXPECT_FALSE(fs::exists(Path(L"none.avi")));
}

// Wherever a size limit falls against the RIFF boundaries, a frame that fits a new file goes
// on in one, and every frame is kept.
TEST_F(AviWriting, ASizeLimitAnywhereGoesOnInNumberedFilesAndKeepsEveryFrame) {
  AviWriterOptions options;
  options.segmentBytes = 3000;  // two frames a RIFF
  for (std::uint64_t extra = 3000; extra < 6000; extra += 61) {
    options.fileBytes = AviHeaderSize(options.superIndexRoom) + extra;
    const std::wstring path = Path((L"limit" + std::to_wstring(extra) + L".avi").c_str());
    AviWriter writer(path, 64, 48, 30, options);
    ASSERT_EQ(writer.Open(), S_OK);
    for (int i = 0; i < 9; ++i) ASSERT_EQ(writer.WriteFrame(frame_), S_OK) << "limit +" << extra << ", frame " << i;
    ASSERT_EQ(writer.Close(), S_OK);
    EXPECT_EQ(writer.Frames(), 9u);
  }
}

TEST_F(AviWriting, AFileThatIsFullGoesOnInANumberedFile) {
  AviWriterOptions options;
  options.superIndexRoom = 3;  // two commits fill it
  AviWriter writer(Path(L"rec.avi"), 64, 48, 30, options);
  ASSERT_EQ(writer.Open(), S_OK);
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(writer.WriteFrame(frame_), S_OK);
    ASSERT_EQ(writer.Commit(), S_OK);
  }
  EXPECT_EQ(writer.Files(), 3);
  EXPECT_EQ(writer.Path(), Path(L"rec_003.avi"));
  EXPECT_EQ(writer.Frames(), 5u);
  ASSERT_EQ(writer.Close(), S_OK);
  EXPECT_TRUE(fs::exists(Path(L"rec_002.avi")));
  // A limit below one frame's room is refused rather than making empty files without end.
  options.fileBytes = AviHeaderSize(3) + 100;
  AviWriter tooSmall(Path(L"small.avi"), 64, 48, 30, options);
  ASSERT_EQ(tooSmall.Open(), S_OK);
  EXPECT_EQ(tooSmall.WriteFrame(frame_), HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE));
}

}  // namespace
}  // namespace q7::recording
