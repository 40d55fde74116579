#include "tests/support/program_driver.h"

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

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (::CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                       block.data(), workingDir.c_str(), &si, &pi)) {
    process_.reset(pi.hProcess);
    ::CloseHandle(pi.hThread);
    processId_ = pi.dwProcessId;
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
