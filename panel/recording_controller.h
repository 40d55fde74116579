#pragma once
// RecordingController: the control panel's side of video recording, on the user-interface
// thread. "Record" in the right-click menu and R in the picture start and stop a recording of
// the frames as stored (full resolution) into the recording folder (the user's Videos folder
// until "Recording folder…" chooses another, kept per user), named Q7_yyyymmdd_hhmmss.avi.
// While it runs, the status line counts ("Recording 00:01:23 · 1,234 frames · 0 dropped ·
// 812 MB") and the picture views show a red dot and the time (AppState::recording). A
// recording that ends by itself (a re-fit, an unplugged camera, a full disk) is told to the user;
// one the user stops leaves "Recording saved: <file name>" on the status line.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "panel/context_menu.h"
#include "panel/panel_messages.h"
#include "recording/recorder.h"
#include "state/app_state.h"

inline constexpr UINT kMenuRecord = 40013;
inline constexpr UINT kMenuRecordingFolder = 40014;
inline constexpr UINT kMenuRecordingSplit = 40015;

class RecordingController {
 public:
  struct Options {
    // A new folder; the default runs the folder browser.
    std::function<std::optional<std::wstring>(const std::wstring& current)> askForFolder;
    // A failure to tell; the default is a message box owned by the panel.
    std::function<void(const std::wstring&)> tellUser;
    // How the files are written (segment size, size limit); the defaults for the program.
    q7::recording::AviWriterOptions file;
  };

  // `panel` receives WM_RECORDING_ENDED and the status timer (hand them to OnMessage);
  // `statusLine` shows the counts; the menu's texts come from `state.resourceLibrary`.
  RecordingController(HWND panel, HWND statusLine, AppState& state, Options options = {});
  ~RecordingController();
  RecordingController(const RecordingController&) = delete;
  RecordingController& operator=(const RecordingController&) = delete;

  // R in the picture and "Record": starts a recording while `playing`, or stops the one running.
  void Toggle(bool playing);
  bool Recording() const noexcept { return recorder_ != nullptr; }
  // The right-click menu's recording commands; false when `id` is none of them.
  bool OnMenuCommand(UINT id, bool playing);
  // Adds "Record" (ticked while recording) and "Recording folder…".
  void AddMenuItems(std::vector<MenuItem>& items, bool playing) const;
  // WM_RECORDING_ENDED and the status line's timer; true when `msg` was one of them.
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  // Stops a recording and waits until its file is closed.
  void Shutdown();

  const std::wstring& Folder() const noexcept { return folder_; }

 private:
  void Start();
  void OnEnded();
  void ShowStatus();
  void OnChooseFolder();

  const HWND panel_;       // not owned
  const HWND statusLine_;  // not owned
  AppState& state_;
  Options options_;
  std::wstring folder_;
  std::unique_ptr<q7::recording::Recorder> recorder_;
};
