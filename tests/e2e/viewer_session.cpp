#include "tests/e2e/viewer_session.h"

#include <thread>

#include "resources/resource_ids.h"

namespace e2e {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

namespace {
void SendMouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
}
}  // namespace

void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, input, sizeof(INPUT));
}

void RightClick() {
  SendMouse(MOUSEEVENTF_RIGHTDOWN);
  SendMouse(MOUSEEVENTF_RIGHTUP);
}

void DragMouse(POINT from, POINT to) {
  ::SetCursorPos(from.x, from.y);
  std::this_thread::sleep_for(100ms);
  HWND target = ::WindowFromPoint(from);
  const DWORD thread = target ? ::GetWindowThreadProcessId(target, nullptr) : 0;
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  // A press that starts the system's move loop: move only once the loop runs, or the first
  // steps are lost and the window moves less than the pointer.
  WaitUntil(
      [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return thread && ::GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE);
      },
      5s);
  constexpr int kSteps = 10;
  for (int i = 1; i <= kSteps; ++i) {
    ::SetCursorPos(from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps);
    std::this_thread::sleep_for(30ms);
  }
  std::this_thread::sleep_for(200ms);
  SendMouse(MOUSEEVENTF_LEFTUP);
  std::this_thread::sleep_for(200ms);
}

void ForgetStoredSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\ORMELAN\\TK Lumora-Q7"); }

ViewerSession::ViewerSession(const std::vector<std::wstring>& environment, const std::wstring& programFolder) {
  // The pointer away from where the windows appear, so no tooltip or hover state from an
  // earlier test lands on them.
  ::SetCursorPos(5, 5);
  program_ = std::make_unique<testing_support::ProgramUnderTest>(programFolder + L"\\Q7Viewer.exe", programFolder,
                                                                 environment);
}

ViewerSession::~ViewerSession() = default;

bool ViewerSession::WaitForWindows() {
  return WaitUntil([&] {
    panel_ = video_ = nullptr;
    for (HWND w : program_->TopLevelWindows()) {
      const std::wstring title = testing_support::WindowText(w);
      if (title == L"Vistal Viewer") panel_ = w;
      if (title == L"Vistal Viewer :: Floater") video_ = w;
    }
    return panel_ && video_;
  });
}

bool ViewerSession::WaitUntilReady() {
  return WaitForWindows() && WaitUntil([&] { return IsEnabled(IDC_PLAY); });
}

bool ViewerSession::StartPlaying() const {
  Click(IDC_PLAY);
  // Play enables its buttons one after the other: wait for the last of them.
  return WaitUntil([&] {
    return !IsEnabled(IDC_PLAY) && IsEnabled(IDC_STOP) && IsEnabled(IDC_ZOOM_OUT) && IsEnabled(IDC_FULL_SCREEN) &&
           IsEnabled(IDC_IMAGE);
  });
}

bool ViewerSession::PictureChanges() const {
  const testing_support::ScreenPixels first = CapturePicture();
  return WaitUntil([&] { return testing_support::DifferingShare(first, CapturePicture()) > 0.0005; }, 5s);
}

std::wstring ViewerSession::Status() const { return testing_support::WindowText(Control(IDC_STATUS)); }

void ViewerSession::Click(int id) const {
  ::PostMessageW(panel_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
}

void ViewerSession::ClickQuickly(int id, int times) const {
  RECT button{};
  ::GetWindowRect(Control(id), &button);
  ::SetCursorPos((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  std::this_thread::sleep_for(200ms);
  for (int i = 0; i < times; ++i) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    std::this_thread::sleep_for(200ms);
  }
}

bool ViewerSession::WaitForInputHandled() const {
  ClickQuickly(IDC_INFORMATION, 1);
  HWND about = FindOtherWindow([](HWND w) { return testing_support::WindowText(w) == L"About"; });
  if (!about) return false;
  ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(250, 175));
  return WaitUntil([&] { return !::IsWindow(about) && ::IsWindowEnabled(panel_); });
}

RECT ViewerSession::PictureRect() const {
  HWND picture = ::GetDlgItem(video_, 1017);
  RECT r{};
  ::GetWindowRect(picture, &r);
  return r;
}

HWND ViewerSession::FindOtherWindow(const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout) const {
  return program_->WaitForWindow([&](HWND w) { return w != panel_ && w != video_ && match(w); }, timeout);
}

DWORD ViewerSession::Close() {
  Click(IDC_EXIT);
  return program_->WaitForExit(20s);
}

HWND ViewerSession::FindFullScreenViewer() const {
  const RECT screen{0, 0, ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  return FindOtherWindow([&](HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return ::EqualRect(&r, &screen) != FALSE;
  });
}

}  // namespace e2e
