#pragma once
// CorrectionController: the control panel's side of the picture correction, on the
// user-interface thread. It offers "Take dark frame…", "Take flat field…", "Correction"
// (ticked while on) and the averaging's lengths in the panel's right-click menu; it shows a
// take's progress and outcome on the status line and its failures, and those of the stored
// files, in message boxes; and it keeps the information line's correction text up to date.
// The corrector tells it of news on any thread; it answers on this one, by a posted message.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "imaging/frame_corrector.h"
#include "panel/context_menu.h"
#include "panel/panel_messages.h"
#include "state/app_state.h"

// Menu command ids of the correction; clear of the dialog's control ids and the menu's others.
inline constexpr UINT kMenuTakeDark = 40030;
inline constexpr UINT kMenuTakeFlat = 40031;
inline constexpr UINT kMenuCorrection = 40032;
inline constexpr UINT kMenuAveragingOff = 40033;  // then 2, 4, 8, 16 and 32 frames up to 40038

class CorrectionController {
 public:
  struct Options {
    // Whether to take one; the default runs the dialog that says what to do first.
    std::function<bool(q7::imaging::CorrectionKind)> confirmTake;
    // A failure to tell; the default is a message box owned by the panel.
    std::function<void(const std::wstring&)> tellUser;
  };

  // `panel` receives the news; `statusLine` shows progress and outcomes; menu texts come from
  // `library`; the information line's text goes to `state`.
  CorrectionController(HWND panel, HWND statusLine, HMODULE library, AppState& state,
                       q7::imaging::FrameCorrector& corrector, Options options = {});
  ~CorrectionController();  // the corrector stops telling the panel
  CorrectionController(const CorrectionController&) = delete;
  CorrectionController& operator=(const CorrectionController&) = delete;

  // The correction's items; taking is offered while `playing` and no take is under way.
  void AddMenuItems(std::vector<MenuItem>& items, bool playing) const;
  // The right-click menu's commands; false when `id` is none of them.
  bool OnMenuCommand(UINT id);
  // WM_CORRECTION_NEWS; true when `msg` was it.
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  // The camera was stopped: a take under way can get no more frames.
  void CameraStopped();

 private:
  void OnNews();
  void StartTake(q7::imaging::CorrectionKind kind);
  void Show(const std::wstring& text) const;

  const HWND panel_;                        // not owned
  const HWND statusLine_;                   // not owned
  const HMODULE library_;                   // not owned
  AppState& state_;                         // not owned
  q7::imaging::FrameCorrector& corrector_;  // not owned: the application's
  Options options_;
  std::atomic<bool> newsPosted_{false};  // one message in the queue is enough
  int shownProgress_ = -1;               // the take's frames last shown
};

// "Taking dark frame… 5 / 16".
std::wstring TakingText(q7::imaging::CorrectionKind kind, int frames);
