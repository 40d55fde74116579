#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/program_driver.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ModuleFolder;
using testing_support::ProgramUnderTest;

namespace fs = std::filesystem;

// A folder holding only a copy of the program, so the resource library cannot be found.
// It goes, with the copy, when the object does; a program started from it must end first.
class LonelyProgramCopy {
 public:
  LonelyProgramCopy() : folder_(fs::temp_directory_path() / L"q7-no-resources") {
    fs::create_directories(folder_);
    fs::copy_file(fs::path(ModuleFolder()) / L"Q7Viewer.exe", folder_ / L"Q7Viewer.exe",
                  fs::copy_options::overwrite_existing);
  }
  ~LonelyProgramCopy() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  LonelyProgramCopy(const LonelyProgramCopy&) = delete;
  LonelyProgramCopy& operator=(const LonelyProgramCopy&) = delete;

  const fs::path& Folder() const { return folder_; }

 private:
  fs::path folder_;
};

TEST(ProgramStart, MissingResourceLibraryIsReportedAndTheProgramEnds) {
  fs::path copied;
  {
    const LonelyProgramCopy copy;
    copied = copy.Folder();
    ProgramUnderTest program((copy.Folder() / L"Q7Viewer.exe").wstring(), copy.Folder().wstring());
    ASSERT_TRUE(program.Started());
    HWND box = program.WaitForWindow([](HWND w) { return testing_support::ClassName(w) == L"#32770"; }, 10s);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    EXPECT_EQ(testing_support::MessageBoxText(box), L"System file not found : Q7Resource.dll");
    EXPECT_EQ(testing_support::WindowText(box), L"Q7Viewer");
    // Nothing else was created: the message box is the program's only window.
    EXPECT_EQ(program.TopLevelWindows().size(), 1u);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(program.WaitForExit(10s), 0u);
  }
  EXPECT_FALSE(fs::exists(copied)) << "the test left its copy of the program behind";
}

}  // namespace
