// Saving camera settings over an existing file.
#include "panel/settings_file_io.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "imaging/image_file.h"
#include "tests/support/settings_records.h"

namespace {

namespace fs = std::filesystem;

// A Save that fails (the disk is full) is told and leaves the file it would have replaced as it was.
TEST(SettingsFileSave, AFailedSaveKeepsTheFileItWouldReplace) {
  const fs::path folder = fs::temp_directory_path() / ("q7-settings-save-" + std::to_string(::GetCurrentProcessId()));
  fs::create_directories(folder);
  const fs::path path = folder / "bench.q7cam";
  std::ofstream(path, std::ios::binary) << "the user's own settings";
  q7::imaging::SimulateFullDisk(folder.wstring(), 100);
  const std::wstring error = WriteSettingsFile(path.wstring(), testing_support::DefaultRecord(), {});
  q7::imaging::SimulateFullDisk(L"", 0);
  EXPECT_NE(error.find(L"could not be saved"), std::wstring::npos);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the user's own settings");
  in.close();
  fs::remove_all(folder);
}

}  // namespace
