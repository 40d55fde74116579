#include "tests/recording/avi_probe.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/handles.h"

namespace testing_support {
namespace {

// Z:\tmp\x.avi is /tmp/x.avi.
std::wstring UnixPath(const std::wstring& path) {
  std::wstring unix = path.substr(2);
  for (wchar_t& c : unix) c = c == L'\\' ? L'/' : c;
  return unix;
}

}  // namespace

std::map<std::string, std::string> ProbeAvi(const std::wstring& path, std::vector<std::uint8_t>* firstPicture) {
  std::map<std::string, std::string> values;
  const std::wstring report = path + L".probe.txt";
  const std::wstring picture = path + L".first.bgr";
  std::filesystem::remove(report);
  std::filesystem::remove(picture);
  const std::wstring script(Q7_RECORDING_TESTS_DIR L"/probe_avi.sh");
  std::wstring command =
      L"start.exe /unix \"" + script + L"\" \"" + UnixPath(path) + L"\" \"" + UnixPath(report) + L"\"";
  if (firstPicture) command += L" \"" + UnixPath(picture) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return values;
  const fw::UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  // start /wait does not wait for a Linux program: the report is there once it is done.
  for (int i = 0; i < 6000 && !std::filesystem::exists(report); ++i) ::Sleep(10);
  std::ifstream lines{std::filesystem::path(report)};
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  if (firstPicture) {
    std::ifstream bytes{std::filesystem::path(picture), std::ios::binary};
    firstPicture->assign(std::istreambuf_iterator<char>(bytes), std::istreambuf_iterator<char>());
  }
  return values;
}

}  // namespace testing_support
