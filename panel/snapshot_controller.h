#pragma once
// SnapshotController: the control panel's side of snapshots and timed series, on the
// user-interface thread. It asks for the file name, copies the frame (the one consistent
// picture, FrameExchange::CopyBlock) and hands the copy to the worker; it turns the worker's
// posted reports into the status line ("Saving snapshot… 40 %", "Success for snapshot.",
// "Series 12 / 100") and into message boxes for failures; it offers "Capture series…" and
// "Stop series" in the panel's right-click menu; and it holds a close back until the files in
// hand are written, so no half-written file ever stands under the user's name.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "panel/burn_in.h"
#include "panel/context_menu.h"
#include "panel/series_choices.h"
#include "panel/snapshot_worker.h"
#include "state/frame_exchange.h"

// The commands of the series' menu items; clear of the dialog's control ids and the menu's others.
inline constexpr UINT kMenuCaptureSeries = 40011;
inline constexpr UINT kMenuStopSeries = 40012;
inline constexpr UINT kMenuJpegQuality = 40010;

class SnapshotController {
 public:
  struct Options {
    // The name for a snapshot; the default runs the save dialog.
    std::function<std::optional<std::wstring>()> askForPath;
    // A series to start; the default runs the series dialog.
    std::function<std::optional<SeriesChoices>()> askForSeries;
    // A new JPEG quality; the default runs the JPEG quality dialog, which keeps it per user.
    std::function<std::optional<int>()> askForJpegQuality;
    // A failure to tell; the default is a message box owned by the panel.
    std::function<void(const std::wstring&)> tellUser;
    // How a snapshot is written; the default is the worker's.
    SnapshotWorker::SaveFunction save;
    // What a picture copied now has burned into it (nothing while the user's choice is off);
    // asked on the user-interface thread for a snapshot, on the worker's for each picture of
    // a series. None: pictures are saved as they are.
    std::function<std::optional<BurnIn>()> burnIn;
  };

  // `panel` receives the worker's messages (hand them to OnMessage) and the held close
  // command; `statusLine` shows the texts; "Success for snapshot." and the menu items' texts
  // come from `library`.
  SnapshotController(HWND panel, HWND statusLine, HMODULE library, const FrameExchange& frames, Options options = {});
  ~SnapshotController();
  SnapshotController(const SnapshotController&) = delete;
  SnapshotController& operator=(const SnapshotController&) = delete;

  // The Snapshot button.
  void OnSnapshot();
  // The right-click menu's series and JPEG quality commands; false when `id` is none of them.
  bool OnMenuCommand(UINT id);
  // Adds "Capture series…", and while a series runs "Stop series", and "JPEG quality…" to the
  // right-click menu's items; a series can start only while `playing`.
  void AddMenuItems(std::vector<MenuItem>& items, bool playing) const;
  // The camera stopped: a series running ends after the picture in hand.
  void StopSeries();
  // The camera was unplugged: a series running ends after the picture in hand, saying why.
  void CameraGone();
  // The panel is asked to close with `command` (IDOK or IDCANCEL). True when the close must
  // wait: a series is stopped, the snapshots in hand are written, the status line says so, and
  // then `command` is posted to the panel again.
  bool HoldClose(UINT command);
  // The worker's messages and the status line's timer; true when `msg` was one of them.
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  // The panel is being destroyed: writes what is in hand, tells what failed, stops the worker.
  void Shutdown();

 private:
  void OnCaptureSeries();
  // The burn-in of a snapshot copied now, done later on the worker's thread.
  SnapshotWorker::Prepare BurnInOfNow() const;
  void OnReports();
  void OnReport(const SnapshotReport& report);
  void OnProgress(int percent);
  void OnIndicatorTimer();
  // The saving text, when a snapshot is in hand.
  void ShowSaving();
  void Show(const std::wstring& text);
  // The indicator's timer runs while snapshots are in hand.
  void UpdateIndicatorTimer();

  const HWND panel_;       // not owned
  const HWND statusLine_;  // not owned
  const HMODULE library_;  // not owned
  const FrameExchange& frames_;
  Options options_;
  int jpegQuality_;             // for the JPEG snapshots and series from now on
  std::optional<int> percent_;  // of the snapshot being written, when its encoder tells
  unsigned indicatorStep_ = 0;
  int holdTicks_ = 0;         // ticks the line is left to the text it shows
  std::wstring ownText_;      // the last text this controller showed
  std::wstring foreignText_;  // the last text of someone else's it saw there
  UINT heldClose_ = 0;        // the close command to post once the worker is idle
  bool closing_ = false;      // no new snapshot or series from now on
  bool timerRunning_ = false;
  SnapshotWorker worker_;  // last: its thread stops before the members above go
};
