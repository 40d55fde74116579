#include "tools/soak/program_watch.h"

#include <chrono>

#include "resources/resource_ids.h"

namespace soak {
namespace {

constexpr auto kLookEvery = std::chrono::milliseconds(200);
constexpr int kAwayLooks = 5;   // a second: Play and Stop are both off only for a moment otherwise
constexpr int kMenuLooks = 25;  // a menu left open five seconds is closed

using testing_support::ClassName;
using testing_support::WindowText;

}  // namespace

bool IsMessageBox(HWND window) {
  if (ClassName(window) != L"#32770" || !::GetDlgItem(window, 0xFFFF)) return false;
  if (::GetDlgItem(window, 1148) || ::GetDlgItem(window, 1152)) return false;  // a file dialog
  const std::wstring title = WindowText(window);
  return title != L"TK Lumora-Q7 Property" && title != L"Capture series" && title != L"About";
}

ProgramWatch::ProgramWatch(const testing_support::ProgramUnderTest& program, HWND panel, ActionLog& log)
    : program_(program), panel_(panel), log_(log), thread_([this] { Run(); }) {}

ProgramWatch::~ProgramWatch() {
  stop_ = true;
  thread_.join();
}

std::map<std::string, int> ProgramWatch::BoxTexts() const {
  std::lock_guard lock(textsMutex_);
  return texts_;
}

void ProgramWatch::Run() {
  while (!stop_) {
    AnswerBoxes();
    CloseStaleMenus();
    FollowTheCamera();
    std::this_thread::sleep_for(kLookEvery);
  }
}

void ProgramWatch::AnswerBoxes() {
  for (HWND box : program_.TopLevelWindows(L"#32770")) {
    if (!IsMessageBox(box)) continue;
    const std::string text = Narrow(testing_support::MessageBoxText(box));
    int answer = IDCANCEL;
    for (int id : {IDOK, IDYES, IDCANCEL})
      if (::GetDlgItem(box, id)) {
        answer = id;
        break;
      }
    ::PostMessageW(box, WM_COMMAND, answer, 0);
    ++boxes_;
    {
      std::lock_guard lock(textsMutex_);
      ++texts_[text];
    }
    log_.Write("box answered: \"" + text + "\"");
    // One answer per box: wait for it to go before looking again.
    for (int i = 0; i < 50 && ::IsWindow(box) && ::IsWindowVisible(box); ++i) std::this_thread::sleep_for(kLookEvery);
  }
}

void ProgramWatch::CloseStaleMenus() {
  const auto menus = program_.TopLevelWindows(L"#32768");
  HWND menu = menus.empty() ? nullptr : menus.front();
  menuLooks_ = menu && menu == menu_ ? menuLooks_ + 1 : 0;
  menu_ = menu;
  if (menu && menuLooks_ >= kMenuLooks) {
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    log_.Write("a menu left open was closed");
    menuLooks_ = 0;
  }
}

void ProgramWatch::FollowTheCamera() {
  const bool bothOff =
      !::IsWindowEnabled(::GetDlgItem(panel_, IDC_PLAY)) && !::IsWindowEnabled(::GetDlgItem(panel_, IDC_STOP));
  awayLooks_ = bothOff ? awayLooks_ + 1 : 0;
  if (!away_ && awayLooks_ >= kAwayLooks) {
    away_ = true;
    log_.Tell("the camera went away");
  } else if (away_ && !bothOff) {
    away_ = false;
    ++returns_;
    log_.Tell("the camera is back");
  }
}

}  // namespace soak
