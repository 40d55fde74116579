#pragma once
// Starts the real program as a user would and finds its top-level windows, for end-to-end tests.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "framework/handles.h"

namespace testing_support {

// The folder of the running test program (the build's bin folder).
std::wstring ModuleFolder();

class ProgramUnderTest {
 public:
  // Starts `exePath` with `workingDir` as its current folder; extra environment entries
  // ("NAME=value") are added to this process's environment for the child.
  ProgramUnderTest(const std::wstring& exePath, const std::wstring& workingDir,
                   const std::vector<std::wstring>& environment = {});
  // Ends the process if it still runs. Should this test process end without getting here (a
  // crash, or killed at its time-out), the system ends the program with it: it runs in a job
  // that ends its processes when the last handle to it, ours, is closed.
  ~ProgramUnderTest();

  bool Started() const { return static_cast<bool>(process_); }
  DWORD ProcessId() const { return processId_; }
  HANDLE Handle() const { return process_.get(); }  // owned by this object
  // Waits for the process to end; returns its exit code, or STILL_ACTIVE on time-out.
  DWORD WaitForExit(std::chrono::milliseconds timeout);
  // Processor time the process has used so far, user and kernel, in seconds.
  double CpuSeconds() const;
  // Visible top-level windows of the process whose class matches (empty: any).
  std::vector<HWND> TopLevelWindows(const std::wstring& className = L"") const;
  // Polls until a window of the process satisfies `match`; null on time-out.
  HWND WaitForWindow(const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout) const;

 private:
  fw::UniqueKernelHandle job_;
  fw::UniqueKernelHandle process_;
  DWORD processId_ = 0;
};

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
// The text of a message box (its static control 0xFFFF).
std::wstring MessageBoxText(HWND box);

}  // namespace testing_support
