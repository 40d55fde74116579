#pragma once
// Watches the program from a thread of its own while the soak drives it, so that nothing modal
// can stop the run: answers every message box (and logs its text), closes a menu left open,
// and notices the camera going away and coming back.
#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/program_driver.h"
#include "tools/soak/action_log.h"

namespace soak {

// A message box, as opposed to the program's own dialogs and the file dialogs: a dialog with
// the box's text control (0xFFFF) and no file-name box.
bool IsMessageBox(HWND window);

class ProgramWatch {
 public:
  ProgramWatch(const testing_support::ProgramUnderTest& program, HWND panel, ActionLog& log);
  ~ProgramWatch();
  ProgramWatch(const ProgramWatch&) = delete;
  ProgramWatch& operator=(const ProgramWatch&) = delete;

  int BoxesAnswered() const { return boxes_.load(); }
  // Each text answered, with how often.
  std::map<std::string, int> BoxTexts() const;
  // Times the camera came back since the last call.
  int TakeReturns() { return returns_.exchange(0); }
  bool CameraAway() const { return away_.load(); }

 private:
  void Run();
  void AnswerBoxes();
  void CloseStaleMenus();
  void FollowTheCamera();

  const testing_support::ProgramUnderTest& program_;  // not owned
  const HWND panel_;                                  // the program's; not owned
  ActionLog& log_;                                    // not owned
  std::atomic<bool> stop_{false};
  std::atomic<int> boxes_{0};
  std::atomic<int> returns_{0};
  std::atomic<bool> away_{false};
  int awayLooks_ = 0;  // consecutive looks with both Play and Stop disabled
  HWND menu_ = nullptr;
  int menuLooks_ = 0;
  mutable std::mutex textsMutex_;
  std::map<std::string, int> texts_;
  std::thread thread_;
};

}  // namespace soak
