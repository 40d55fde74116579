#pragma once
// CControlPanelDlg: the program's main window, run modally for the whole run. It opens the
// camera on a short initialisation thread, then has the camera session watch for a camera
// that appears, goes away or comes back; it plays and stops it, zooms, toggles full screen,
// saves snapshots, records video, shows the property dialog and the About box, and keeps the
// docked video window attached to itself.
#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "camera/camera_link.h"
#include "display/q7_fullview.h"
#include "framework/controls.h"
#include "framework/handles.h"
#include "panel/black_picture.h"
#include "panel/context_menu.h"
#include "panel/correction_controller.h"
#include "panel/panel_layout.h"
#include "panel/panel_messages.h"
#include "panel/recording_controller.h"
#include "panel/snapshot_controller.h"
#include "skin/bitmap_skin_dlg.h"
#include "skin/hover_button.h"
#include "state/app_state.h"

class CCamera;
class CFloaterDlg;
class CNoticeBoard;

class CControlPanelDlg : public CBitmapSkinDlg {
 public:
  // The panel drives the camera session and the two picture windows; none is owned. Notices
  // the camera raises on other threads reach the user through `notices` when given.
  // `corrector`, when given, is the picture correction the right-click menu drives.
  CControlPanelDlg(AppState& state, CCamera& camera, CFloaterDlg& videoWindow, CQ7Fullview& fullView,
                   CNoticeBoard* notices = nullptr, q7::imaging::FrameCorrector* corrector = nullptr,
                   CWnd* parent = nullptr);
  ~CControlPanelDlg() override;

  BOOL PreTranslateMessage(MSG* msg) override;

  // What the right-click menu offers now.
  std::vector<MenuItem> ContextMenuItems() const;

  // A message to show once the panel is on the screen (something found wrong at start-up).
  void TellWhenShown(std::wstring text) { startNotice_ = std::move(text); }

  // For tests: the status line's text and whether a hand-off thread exists.
  std::wstring StatusText() const;
  bool HasHandOffThread() const noexcept;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  // A close waits while snapshots are being written (SnapshotController::HoldClose).
  void OnOK() override;
  void OnCancel() override;
  BOOL OnCommand(UINT notifyCode, UINT id, HWND control) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnPlay();
  void OnStop();
  void OnSnapshot();
  void OnZoomOut();
  void OnZoomIn();
  void OnFullScreen();
  void OnInformation();
  void OnProperties();
  void OnPaint();
  void OnContextMenu(HWND target, POINT screenPoint);
  // A command of the right-click menu; false when `id` is none of them.
  bool OnMenuCommand(UINT id);
  void OnDestroy();
  void OnWindowPosChanging(WINDOWPOS* pos);
  void OnWindowPosChanged(const WINDOWPOS* pos);
  void OnActivate(UINT state, HWND other, BOOL minimized);
  LRESULT OnLeaveFullScreen();
  LRESULT OnRefitFrameBuffer();
  void OnCameraOpened(bool ready);
  void OnCameraLink(CameraLinkEvent event);
  // Flat fields are kept per objective: the corrector follows the calibration in use.
  void TellCorrectorTheCalibration();
  // Once a second: a picture black for a while although frames arrive is reported.
  void OnPictureWatchTimer();
  std::optional<double> NewestFrameBrightness() const;
  void OnStartNotice();

  void SetupButtons();
  CHoverButton& Button(int controlId);
  void PlaceBesideVideoWindow();
  void ShowStatus(UINT stringId);
  void EnableButtons(std::initializer_list<int> controlIds, BOOL enable);
  // The buttons of the playing or the stopped camera.
  void ShowPlaying(bool playing);
  // The zoom buttons as the scale allows, whoever changed it (the full-screen view's wheel too).
  void ShowZoom(bool enabled);
  bool FullViewVisible() const;
  // The camera plays: the buttons of a playing camera are on.
  bool Playing() const;

  static DWORD WINAPI InitializationThread(LPVOID self) noexcept;

  AppState& state_;           // not owned
  CCamera& camera_;           // not owned
  CFloaterDlg& videoWindow_;  // not owned
  CQ7Fullview& fullView_;     // not owned
  CNoticeBoard* notices_;     // not owned; may be null
  HICON icon_ = nullptr;      // shared icon from the resource library: not destroyed
  // One per entry of PanelButtons(), in its order.
  std::array<CHoverButton, kPanelButtonCount> buttons_;
  CStatic statusLine_;
  fw::UniqueKernelHandle initThread_;
  int originX_ = 0;
  int originY_ = 0;
  fw::UniqueBrush statusBrush_;
  fw::UniqueBrush faceBrush_;
  std::unique_ptr<SnapshotController> snapshots_;      // from OnInitDialog on
  std::unique_ptr<RecordingController> recordings_;    // from OnInitDialog on
  std::wstring startNotice_;                           // shown once, then emptied
  q7::imaging::FrameCorrector* corrector_;             // not owned; may be null
  std::unique_ptr<CorrectionController> corrections_;  // from OnInitDialog on, with a corrector
  BlackPictureWatch pictureWatch_;
  std::uint64_t framesSeen_ = 0;  // the newest frame's number at the watch's last look
  std::wstring blackText_;        // what the watch last showed
};
