#pragma once
// One run of the real Q7Viewer.exe with its windows found, and the actions a user takes.
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/program_driver.h"
#include "tests/support/screen_capture.h"

namespace e2e {

using namespace std::chrono_literals;

// Polls `condition` until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// Presses the left button at `from`, moves to `to` in small steps and releases it there.
void DragMouse(POINT from, POINT to);
// A press of `key` and its release, as the keyboard sends them to the focused window.
void PressKey(WORD key);
// A click of the right button where the pointer is.
void RightClick();

// Removes the camera settings a previous run stored, so every run starts from the defaults.
void ForgetStoredSettings();

class ViewerSession {
 public:
  // Starts the program with extra environment entries ("Q7SIM_CAMERAS=0", ...), from the
  // folder `programFolder` (by default the test program's own, the build's bin folder).
  explicit ViewerSession(const std::vector<std::wstring>& environment = {},
                         const std::wstring& programFolder = testing_support::ModuleFolder());
  ~ViewerSession();

  testing_support::ProgramUnderTest& Program() { return *program_; }
  // Waits for the panel and the video window to be shown; false on time-out.
  bool WaitForWindows();
  HWND Panel() const { return panel_; }
  HWND Video() const { return video_; }
  HWND Control(int id) const { return ::GetDlgItem(panel_, id); }
  // Waits for the windows and for the camera to open (Play enabled); false on time-out.
  bool WaitUntilReady();
  // Clicks Play and waits until the buttons of a playing camera are enabled.
  bool StartPlaying() const;
  // Two looks at the picture some frames apart; the simulated scene moves in every frame.
  bool PictureChanges() const;

  std::wstring Status() const;
  bool IsEnabled(int id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
  // What a click on the panel's button causes: the command from that button.
  void Click(int id) const;
  // Real clicks of the left button on the panel's button, 0.2 s apart: a user's quick clicks.
  void ClickQuickly(int id, int times) const;
  // Returns once the program has handled all input so far: a real click on Information opens
  // the About box only after everything before it, and a click on the box closes it again.
  bool WaitForInputHandled() const;
  // The picture area of the video window, in screen coordinates.
  RECT PictureRect() const;
  testing_support::ScreenPixels CapturePicture() const { return testing_support::CaptureScreen(PictureRect()); }
  // A shown top-level window of the program other than the panel and the video window.
  HWND FindOtherWindow(const std::function<bool(HWND)>& match, std::chrono::milliseconds timeout = 10s) const;
  // The full-screen viewer, once it covers the whole screen; null on time-out.
  HWND FindFullScreenViewer() const;
  // Closes the panel with its close button and waits for the process to end.
  DWORD Close();

 private:
  std::unique_ptr<testing_support::ProgramUnderTest> program_;
  HWND panel_ = nullptr;
  HWND video_ = nullptr;
};

}  // namespace e2e
