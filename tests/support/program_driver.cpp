#include "tests/support/program_driver.h"

#include <psapi.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace testing_support {

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = L"";
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

ProgramUnderTest::ProgramUnderTest(const std::wstring& exePath, const std::wstring& workingDir,
                                   const std::vector<std::wstring>& environment) {
  // Build the child's environment block: ours plus the extra entries.
  std::wstring block;
  for (const auto& entry : environment) block += entry + L'\0';
  if (wchar_t* env = ::GetEnvironmentStringsW()) {
    for (const wchar_t* p = env; *p; p += wcslen(p) + 1) block += std::wstring(p) + L'\0';
    ::FreeEnvironmentStringsW(env);
  }
  block += L'\0';

  job_.reset(::CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job_) ::SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring commandLine = L"\"" + exePath + L"\"";
  // Suspended until it is in the job, so that nothing it starts escapes the job either.
  if (::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, block.data(), workingDir.c_str(), &si, &pi)) {
    process_.reset(pi.hProcess);
    fw::UniqueKernelHandle thread(pi.hThread);
    processId_ = pi.dwProcessId;
    if (job_) ::AssignProcessToJobObject(job_.get(), pi.hProcess);
    ::ResumeThread(pi.hThread);
    ::WaitForInputIdle(pi.hProcess, 5000);
  }
}

ProgramUnderTest::~ProgramUnderTest() {
  if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    ::TerminateProcess(process_.get(), 99);
    ::WaitForSingleObject(process_.get(), 5000);
  }
}

DWORD ProgramUnderTest::WaitForExit(std::chrono::milliseconds timeout) {
  if (!process_) return STILL_ACTIVE;
  if (::WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  ::GetExitCodeProcess(process_.get(), &code);
  return code;
}

namespace {

bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

std::string ReadWholeFile(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Linux's account of the newest process of this Wine prefix running `program` (its file
// name), in seconds; negative when there is none.
double LinuxCpuSeconds(const std::string& program) {
  char prefix[MAX_PATH] = "";
  if (::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH) == 0) return -1.0;
  const std::string prefixEntry = std::string("WINEPREFIX=") + prefix;
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return -1.0;
  double seconds = -1.0;
  unsigned long long newest = 0;
  do {
    const std::wstring pid = found.cFileName;
    if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::string stat = ReadWholeFile(L"Z:\\proc\\" + pid + L"\\stat");
    const std::size_t open = stat.find('('), close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos || stat.substr(open + 1, close - open - 1) != program)
      continue;
    // The environment's entries end in NUL; one of them must be this run's prefix.
    const std::string environment = '\0' + ReadWholeFile(L"Z:\\proc\\" + pid + L"\\environ");
    if (environment.find('\0' + prefixEntry + '\0') == std::string::npos) continue;
    // After the name: state, then fields 4 on; user and system time are fields 14 and 15,
    // the start time field 22, all in clock ticks of 1/100 s.
    std::istringstream fields(stat.substr(close + 2));
    std::vector<std::string> f(std::istream_iterator<std::string>(fields), {});
    if (f.size() < 20) continue;
    const unsigned long long started = std::stoull(f[19]);
    if (seconds >= 0 && started < newest) continue;
    newest = started;
    seconds = (std::stod(f[11]) + std::stod(f[12])) / 100.0;
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return seconds;
}

}  // namespace

double ProgramUnderTest::CpuSeconds() const {
  if (!process_) return 0.0;
  // Wine's GetProcessTimes of another process stays at what it was at the start (measured):
  // there, Linux's own account of the process is read instead.
  if (RunningUnderWine()) {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameExW(process_.get(), nullptr, path, MAX_PATH);
    const std::wstring name = std::filesystem::path(path).filename().wstring();
    const double seconds = LinuxCpuSeconds(std::string(name.begin(), name.end()));
    if (seconds >= 0) return seconds;
  }
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process_.get(), &created, &exited, &kernel, &user)) return 0.0;
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
  };
  return seconds(kernel) + seconds(user);
}

std::vector<HWND> ProgramUnderTest::TopLevelWindows(const std::wstring& className) const {
  struct Search {
    DWORD pid;
    const std::wstring* className;
    std::vector<HWND> found;
  } search{processId_, &className, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && ::IsWindowVisible(hwnd) && (s->className->empty() || ClassName(hwnd) == *s->className))
          s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProgramUnderTest::WaitForWindow(const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    for (HWND hwnd : TopLevelWindows())
      if (match(hwnd)) return hwnd;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return nullptr;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = L"";
  ::GetWindowTextW(hwnd, text, 1024);
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[256] = L"";
  ::GetClassNameW(hwnd, name, 256);
  return name;
}

std::wstring MessageBoxText(HWND box) {
  HWND text = ::GetDlgItem(box, 0xFFFF);
  return text ? WindowText(text) : std::wstring();
}

}  // namespace testing_support
