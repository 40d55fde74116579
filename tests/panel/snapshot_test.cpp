#include "panel/snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/file_dialog.h"
#include "imaging/image_file.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A frame block filled with a pattern, as the hand-off thread leaves it.
std::vector<std::uint8_t> PatternFrame(int width, int height) {
  FrameBlock block(width, height, 24);
  for (std::size_t i = 0; i < block.PixelBytes(); ++i) block.Pixels()[i] = static_cast<std::uint8_t>(i * 7);
  return {block.Data(), block.Data() + block.Size()};
}

class SnapshotSaving : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("q7-snapshot-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

TEST(SnapshotBmpLayout, FileHeaderCountsHeadersAndPixels) {
  const auto header = BuildBmpFileHeader(921600);
  EXPECT_EQ(header[0], 'B');
  EXPECT_EQ(header[1], 'M');
  EXPECT_EQ(header[2] | header[3] << 8 | header[4] << 16 | header[5] << 24, 921654);
  EXPECT_EQ(header[6] | header[7] << 8 | header[8] << 16 | header[9] << 24, 0);
  EXPECT_EQ(header[10] | header[11] << 8 | header[12] << 16 | header[13] << 24, 54);
}

TEST_F(SnapshotSaving, BmpIsTheFrameByteForByte) {
  const auto frame = PatternFrame(640, 480);
  const fs::path target = folder_ / L"shot.BMP";
  const SnapshotOutcome outcome = SaveSnapshot(frame, target.wstring());
  ASSERT_TRUE(outcome.saved) << std::string(outcome.error.begin(), outcome.error.end());
  const auto bytes = ReadAll(target);
  ASSERT_EQ(bytes.size(), 921654u);
  EXPECT_EQ(std::memcmp(bytes.data() + 14, frame.data(), 40), 0);  // header copied unchanged
  const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(bytes.data() + 14);
  EXPECT_EQ(info->biHeight, -480);
  EXPECT_EQ(std::memcmp(bytes.data() + 54, frame.data() + 40, 921600), 0);
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(folder_), {}), std::vector<fs::path>{target});
}

TEST_F(SnapshotSaving, LowerCaseJpgGivesAJpegUnderExactlyThatName) {
  const auto frame = PatternFrame(64, 48);
  const fs::path target = folder_ / L"shot.jpg";
  ASSERT_TRUE(SaveSnapshot(frame, target.wstring()).saved);
  const auto bytes = ReadAll(target);
  ASSERT_GT(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
}

TEST_F(SnapshotSaving, JpegSpellingsAndSunRasterAreSavedToo) {
  const auto frame = PatternFrame(32, 16);
  for (const wchar_t* name : {L"a.JPEG", L"b.JPE", L"c.RAS", L"d.wbmp", L"e.PGX"}) {
    const fs::path target = folder_ / name;
    EXPECT_TRUE(SaveSnapshot(frame, target.wstring()).saved) << target;
    EXPECT_GT(fs::file_size(target), 0u) << target;
  }
}

TEST_F(SnapshotSaving, UnknownExtensionIsReportedAndWritesNothing) {
  const auto frame = PatternFrame(32, 16);
  const fs::path target = folder_ / L"shot.xyz";
  const SnapshotOutcome outcome = SaveSnapshot(frame, target.wstring());
  EXPECT_FALSE(outcome.saved);
  EXPECT_FALSE(outcome.error.empty());
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(SnapshotSaving, UnwritableTargetIsReportedByName) {
  const auto frame = PatternFrame(32, 16);
  for (const wchar_t* name : {L"shot.png", L"shot.bmp"}) {
    const std::wstring target = (folder_ / L"no-such-folder" / name).wstring();
    const SnapshotOutcome outcome = SaveSnapshot(frame, target);
    EXPECT_FALSE(outcome.saved);
    EXPECT_NE(outcome.error.find(target), std::wstring::npos);
  }
}

// A series never overwrites; its encoders' progress comes through.
TEST_F(SnapshotSaving, KeepsAnExistingFileWhenToldAndPassesProgressOn) {
  const auto frame = PatternFrame(320, 240);
  const fs::path target = folder_ / L"taken.png";
  std::ofstream(target) << "old";
  std::vector<int> percents;
  SnapshotWriteOptions options{q7::imaging::ExistingFile::Keep, [&](int percent) { percents.push_back(percent); }};
  EXPECT_FALSE(SaveSnapshot(frame, target.wstring(), options).saved);
  EXPECT_EQ(fs::file_size(target), 3u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 1) << "no temporary file left";
  options.existing = q7::imaging::ExistingFile::Replace;
  EXPECT_TRUE(SaveSnapshot(frame, target.wstring(), options).saved);
  EXPECT_GT(fs::file_size(target), 3u);
  EXPECT_EQ(percents.back(), 100);
}

// Every name the dialog's filter offers, and the spellings the JPEG entry lists.
const wchar_t* const kEveryExtension[] = {L"BMP", L"GIF",  L"JPG", L"JPEG", L"JPE", L"PNG", L"ICO", L"TIF", L"TGA",
                                          L"PCX", L"WBMP", L"WMF", L"JP2",  L"JPC", L"PGX", L"PNM", L"RAS"};

bool MentionsTheFullDisk(std::wstring error) {
  std::transform(error.begin(), error.end(), error.begin(), [](wchar_t c) { return std::towlower(c); });
  return error.find(L"disk") != std::wstring::npos;
}

// A disk that fills up half-way through a snapshot leaves no partial file under the chosen
// name, in any format, and the user is told why.
TEST_F(SnapshotSaving, FullDiskLeavesNoPartialFileInAnyFormat) {
  const auto frame = PatternFrame(640, 480);
  const fs::path disk = folder_ / L"disk";
  fs::create_directories(disk);
  q7::imaging::SimulateFullDisk(disk.wstring(), 100);
  for (const wchar_t* extension : kEveryExtension) {
    const fs::path target = disk / (std::wstring(L"shot.") + extension);
    const SnapshotOutcome outcome = SaveSnapshot(frame, target.wstring());
    EXPECT_FALSE(outcome.saved) << target;
    EXPECT_TRUE(MentionsTheFullDisk(outcome.error)) << std::string(outcome.error.begin(), outcome.error.end());
    EXPECT_TRUE(fs::is_empty(disk)) << target;
  }
  q7::imaging::SimulateFullDisk(L"", 0);
}

// On a real full disk: tests/panel/run_on_full_disk.sh maps a 1 MB tmpfs as a drive and names
// it in Q7_FULL_DISK. Each format either fits whole or leaves nothing behind.
TEST_F(SnapshotSaving, RealFullDiskKeepsOnlyWholeFiles) {
  wchar_t drive[MAX_PATH] = L"";
  if (::GetEnvironmentVariableW(L"Q7_FULL_DISK", drive, MAX_PATH) == 0) GTEST_SKIP() << "no full disk to write to";
  const fs::path disk = drive;
  const auto frame = PatternFrame(2592, 1944);  // 15 MB as BMP, on a 1 MB disk
  for (const wchar_t* extension : kEveryExtension) {
    const fs::path target = disk / (std::wstring(L"shot.") + extension);
    const SnapshotOutcome outcome = SaveSnapshot(frame, target.wstring());
    if (outcome.saved) {
      EXPECT_GT(fs::file_size(target), 0u) << target;
      fs::remove(target);
    } else {
      EXPECT_TRUE(MentionsTheFullDisk(outcome.error)) << std::string(outcome.error.begin(), outcome.error.end());
    }
    EXPECT_TRUE(fs::is_empty(disk)) << target;
    if (std::wstring(extension) == L"BMP") {
      EXPECT_FALSE(outcome.saved);
    }
  }
}

// A full path longer than MAX_PATH less its terminator cannot be saved: the user is told so.
TEST_F(SnapshotSaving, TooLongAPathIsReportedAndWritesNothing) {
  const auto frame = PatternFrame(32, 16);
  const std::wstring folder = folder_.wstring() + L"\\";
  const std::wstring fits = folder + std::wstring(kMaxFullPathLength - folder.size() - 4, L'a') + L".PNG";
  ASSERT_EQ(fits.size(), kMaxFullPathLength);
  EXPECT_TRUE(SaveSnapshot(frame, fits).saved);
  const std::wstring tooLong = folder + std::wstring(kMaxFullPathLength - folder.size() - 3, L'b') + L".PNG";
  const SnapshotOutcome outcome = SaveSnapshot(frame, tooLong);
  EXPECT_FALSE(outcome.saved);
  EXPECT_NE(outcome.error.find(PathTooLongMessage(260)), std::wstring::npos);
}

TEST_F(SnapshotSaving, NoPictureIsReported) { EXPECT_FALSE(SaveSnapshot({}, (folder_ / L"x.bmp").wstring()).saved); }

}  // namespace
