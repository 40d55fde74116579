#pragma once
// The soak's user: takes one action at a time at random, as a person at the bench would (play,
// stop, zoom, pan, full screen, the live-information keys, the property dialog, snapshots,
// timed series), and brings the program into one settled state for comparable measurements.
// Every wait is bounded, so a program that stops answering cannot stop the soak.
#include <windows.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/viewer_session.h"
#include "tools/soak/action_log.h"

namespace soak {

class SoakUser {
 public:
  // Snapshots and series are written under `outputFolder`.
  SoakUser(e2e::ViewerSession& session, unsigned seed, ActionLog& log, std::wstring outputFolder);

  // One action chosen at random; returns what was done, in words.
  std::string ActAtRandom();
  // The kinds of action, and one of them on its own (for finding which one leaks).
  static std::size_t ActionKinds();
  static const char* ActionName(std::size_t kind);
  std::string Act(std::size_t kind);
  // A pause between actions, at random.
  std::chrono::milliseconds Pause();

  bool Playing() const { return session_.IsEnabled(IDC_STOP); }
  bool FullScreenShown() const;
  // What is on the screen, in a word or two, for the tables.
  std::string State() const;
  // While playing: whether the picture moves (the chart's ball and frame counter); a view held
  // on a still part of the chart is zoomed out to the whole picture first.
  std::optional<bool> PictureLive();
  // Plays if the camera is there and stopped; true once it plays.
  bool EnsurePlaying();
  // The state every settled measurement is taken in: no dialog, the video window, no series or
  // snapshot being written, no live-information view or measuring overlay, stopped after
  // playing at full resolution, the frame buffer re-fitted. Play again after the measurement.
  bool Settle();
  // Deletes the snapshots and series pictures written so far (keeps the disk from filling).
  void DeleteWrittenFiles() const;

 private:
  struct Choice {
    const char* name;
    std::string (SoakUser::*action)();
    int weight;  // how often it comes up, relative to the others
  };
  static const std::vector<Choice>& Choices();

  std::string TogglePlay();
  std::string Zoom();
  std::string Pan();
  std::string LiveInformationKey();
  std::string FullScreen();
  std::string PropertyDialog();
  std::string Snapshot();
  std::string TimedSeries();
  std::string AboutBox();
  std::string Recording();
  std::string ResolutionOnly();
  std::string DialogOnly();

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  HWND PictureTarget() const;  // the full-screen viewer when shown, else the video window
  RECT PictureArea() const;    // where the picture is on the screen
  bool ClickAndFindDialog(int button, const std::wstring& title, HWND& dialog);
  bool WaitClosed(HWND dialog, std::chrono::milliseconds timeout);
  std::string ChangeInPropertyDialog(HWND dialog);
  bool LeaveFullScreen();
  bool ChooseFullResolution();
  bool PictureMoves(std::chrono::milliseconds within) const;

  e2e::ViewerSession& session_;  // not owned
  std::mt19937 random_;
  ActionLog& log_;  // not owned
  const std::wstring outputFolder_;
  int filesWritten_ = 0;
};

}  // namespace soak
