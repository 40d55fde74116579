#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/program_driver.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ModuleFolder;
using testing_support::ProgramUnderTest;

// A folder holding only a copy of the program, so the resource library cannot be found.
std::wstring LonelyProgramCopy() {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / L"q7-no-resources";
  fs::create_directories(folder);
  fs::copy_file(fs::path(ModuleFolder()) / L"Q7Viewer.exe", folder / L"Q7Viewer.exe",
                fs::copy_options::overwrite_existing);
  return folder.wstring();
}

TEST(ProgramStart, MissingResourceLibraryIsReportedAndTheProgramEnds) {
  const std::wstring folder = LonelyProgramCopy();
  ProgramUnderTest program(folder + L"\\Q7Viewer.exe", folder);
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

}  // namespace
