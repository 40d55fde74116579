#include "panel/control_panel_dlg.h"

#include <cstdlib>
#include <utility>

#include "camera/camera.h"
#include "display/floater_dlg.h"
#include "display/full_screen.h"
#include "display/zoom_steps.h"
#include "framework/com_apartment.h"
#include "framework/file_dialog.h"
#include "framework/message_args.h"
#include "framework/notice_board.h"
#include "framework/win_app.h"
#include "panel/about_dlg.h"
#include "panel/calibration_dlg.h"
#include "panel/property_dlg.h"
#include "resources/resource_ids.h"
#include "skin/skin_key.h"

namespace {

constexpr COLORREF kStatusTextColor = RGB(233, 220, 135);
constexpr COLORREF kStatusBackColor = RGB(98, 98, 98);
constexpr COLORREF kFaceColor = RGB(237, 237, 237);

// Shown once the camera has been away for a while; the string table has no text for it.
constexpr wchar_t kWaitingForCameraText[] = L"Waiting for the camera...";

constexpr UINT kPictureWatchMs = 1000;

// Status texts are cut to 255 characters, as the panel's line holds no more.
std::wstring PanelString(HMODULE library, UINT id) { return LoadResourceString(id, library).substr(0, 255); }

}  // namespace

CControlPanelDlg::CControlPanelDlg(AppState& state, CCamera& camera, CFloaterDlg& videoWindow, CQ7Fullview& fullView,
                                   CNoticeBoard* notices, q7::imaging::FrameCorrector* corrector, CWnd* parent)
    : CBitmapSkinDlg(IDD_CONTROL_PANEL, parent),
      state_(state),
      camera_(camera),
      videoWindow_(videoWindow),
      fullView_(fullView),
      notices_(notices),
      corrector_(corrector) {
  icon_ = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_APP));
}

CControlPanelDlg::~CControlPanelDlg() {
  // Destroy while this class's handlers still exist, so the threads stop in OnDestroy.
  if (m_hWnd) DestroyWindow();
}

std::wstring CControlPanelDlg::StatusText() const {
  wchar_t text[256] = L"";
  ::GetWindowTextW(statusLine_.m_hWnd, text, 256);
  return text;
}

bool CControlPanelDlg::HasHandOffThread() const noexcept { return camera_.HasHandOffThread(); }

void CControlPanelDlg::DoDataExchange(CDataExchange* dx) {
  CBitmapSkinDlg::DoDataExchange(dx);
  for (std::size_t i = 0; i < kPanelButtonCount; ++i) DDX_Control(dx, PanelButtons()[i].controlId, buttons_[i]);
  DDX_Control(dx, IDC_STATUS, statusLine_);
}

BOOL CControlPanelDlg::OnInitDialog() {
  CBitmapSkinDlg::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  SetWindowText(L"Vistal Viewer");

  SetDragMove(TRUE);
  SetBackgroundBitmap(fw::UniqueBitmap(::LoadBitmapW(state_.resourceLibrary, MAKEINTRESOURCEW(IDB_PANEL_FACE))));
  SetTransparent(skin::kSkinKeyColor, TRUE);
  SetDrawMode(SKIN_DRAW_FIT);
  SetupButtons();
  SnapshotController::Options snapshotOptions;
  snapshotOptions.burnIn = [&state = state_] { return CurrentBurnIn(state); };
  snapshots_ = std::make_unique<SnapshotController>(m_hWnd, statusLine_.m_hWnd, state_.resourceLibrary, state_.frames,
                                                    std::move(snapshotOptions));
  if (corrector_)
    corrections_ =
        std::make_unique<CorrectionController>(m_hWnd, statusLine_.m_hWnd, state_.resourceLibrary, state_, *corrector_);
  TellCorrectorTheCalibration();
  recordings_ = std::make_unique<RecordingController>(m_hWnd, statusLine_.m_hWnd, state_);
  // R in either picture view starts or stops a recording, as "Record" does.
  const auto recordKey = [this] { recordings_->Toggle(Playing()); };
  videoWindow_.SetRecordKeyHandler(recordKey);
  fullView_.SetRecordKeyHandler(recordKey);

  if (notices_) notices_->Attach(m_hWnd);
  videoWindow_.ShowWindow(SW_SHOWNORMAL);
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PlaceBesideVideoWindow();
  state_.docked = 1;

  ::SetTimer(m_hWnd, kPictureWatchTimer, kPictureWatchMs, nullptr);
  initThread_.reset(::CreateThread(nullptr, 0, &CControlPanelDlg::InitializationThread, this, 0, nullptr));
  if (!initThread_) OnCameraOpened(false);
  if (!startNotice_.empty()) PostMessage(WM_START_NOTICE);
  return TRUE;
}

void CControlPanelDlg::SetupButtons() {
  for (std::size_t i = 0; i < kPanelButtonCount; ++i) {
    const PanelButtonLayout& layout = PanelButtons()[i];
    CHoverButton& button = buttons_[i];
    if (!button.m_hWnd) continue;
    button.SetStateBitmap(
        fw::UniqueBitmap(::LoadBitmapW(state_.resourceLibrary, MAKEINTRESOURCEW(layout.stripBitmapId))));
    button.MoveWindow(layout.rect);
    button.SetTooltipText(PanelString(state_.resourceLibrary, layout.tooltipId).c_str(), TRUE);
    if (!layout.enabledAtStart) button.EnableWindow(FALSE);
    button.SetEveryClickCounts(layout.everyClickCounts);
  }
  statusLine_.MoveWindow(PanelStatusRect());
  statusLine_.SetWindowText(L"");
}

CHoverButton& CControlPanelDlg::Button(int controlId) {
  for (std::size_t i = 0; i < kPanelButtonCount; ++i)
    if (PanelButtons()[i].controlId == controlId) return buttons_[i];
  // Only the ids of PanelButtons() are ever asked for.
  std::abort();
}

void CControlPanelDlg::PlaceBesideVideoWindow() {
  RECT workArea{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const RECT panel = GetWindowRect();
  const RECT video = videoWindow_.GetWindowRect();
  const PanelPlacement placement =
      PlacePanelAndVideo(state_.virtualScreenWidth, state_.monitorCount, workArea.bottom,
                         SIZE{panel.right - panel.left, panel.bottom - panel.top}, video.right - video.left);
  originX_ = placement.panel.x;
  originY_ = placement.panel.y;
  SetWindowPos(nullptr, placement.panel.x, placement.panel.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  videoWindow_.SetWindowPos(nullptr, placement.video.x, placement.video.y, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD WINAPI CControlPanelDlg::InitializationThread(LPVOID param) noexcept {
  auto* self = static_cast<CControlPanelDlg*>(param);
  const HWND panel = self->m_hWnd;
  ComApartment com;
  ::PostMessageW(panel, WM_PANEL_STATUS, IDS_INITIALIZE, 0);
  bool ready = false;
  try {
    ready = self->camera_.Open();
    if (ready) self->camera_.FitFrameBuffer();
  } catch (...) {
    ready = false;
  }
  // Only posts: the panel may be closing and waiting for this thread to end.
  ::PostMessageW(panel, WM_CAMERA_OPENED, ready ? 1 : 0, 0);
  return 0;
}

void CControlPanelDlg::OnCameraOpened(bool ready) {
  if (ready) Button(IDC_PLAY).EnableWindow(TRUE);
  ShowStatus(ready ? IDS_INIT_SUCCESS : IDS_CANT_FIND_CAMERA);
  // From now on the session opens a camera that appears and re-opens one that comes back.
  const HWND panel = m_hWnd;
  camera_.WatchLink(
      [panel](CameraLinkEvent event) { ::PostMessageW(panel, WM_CAMERA_LINK, static_cast<WPARAM>(event), 0); });
}

void CControlPanelDlg::OnCameraLink(CameraLinkEvent event) {
  switch (event) {
    case CameraLinkEvent::Opened: OnCameraOpened(true); return;
    case CameraLinkEvent::Lost:
      // The last picture, zoom, full screen and snapshot stay; the camera's own buttons
      // wait for it, and the status line says why.
      EnableButtons({IDC_PLAY, IDC_STOP, IDC_IMAGE, IDC_RESOLUTION}, FALSE);
      // A series would only repeat the last picture until the camera is back.
      if (snapshots_) snapshots_->CameraGone();
      ShowStatus(IDS_SIGNAL_BROKEN);
      return;
    case CameraLinkEvent::Waiting: statusLine_.SetWindowText(kWaitingForCameraText); return;
    case CameraLinkEvent::Reconnected:
      ShowPlaying(camera_.IsAcquiring());
      ShowStatus(IDS_INIT_SUCCESS);
      return;
  }
}

void CControlPanelDlg::ShowStatus(UINT stringId) {
  statusLine_.SetWindowText(PanelString(state_.resourceLibrary, stringId).c_str());
}

void CControlPanelDlg::EnableButtons(std::initializer_list<int> controlIds, BOOL enable) {
  for (int id : controlIds) Button(id).EnableWindow(enable);
}

void CControlPanelDlg::ShowPlaying(bool playing) {
  Button(IDC_PLAY).EnableWindow(!playing);
  EnableButtons({IDC_STOP, IDC_SNAPSHOT, IDC_FULL_SCREEN}, playing);
  EnableButtons({IDC_IMAGE, IDC_RESOLUTION}, playing);
  ShowZoom(playing);
}

void CControlPanelDlg::ShowZoom(bool enabled) {
  Button(IDC_ZOOM_OUT).EnableWindow(enabled && display::CanZoomOut(state_.displayScale));
  Button(IDC_ZOOM_IN).EnableWindow(enabled && display::CanZoomIn(state_.displayScale));
}

void CControlPanelDlg::OnPlay() {
  camera_.StartCapture();
  ShowPlaying(true);
}

void CControlPanelDlg::OnStop() {
  camera_.StopAcquisition();
  ShowPlaying(false);
  if (snapshots_) snapshots_->StopSeries();
  if (corrections_) corrections_->CameraStopped();
  if (recordings_ && recordings_->Recording()) recordings_->Toggle(false);
}

void CControlPanelDlg::OnZoomOut() {
  state_.displayScale = display::StepDisplayScale(state_.displayScale, -1);
  state_.redraw.Notify();
  ShowStatus(IDS_ZOOM_OUT_STATUS);
  ShowZoom(true);
}

void CControlPanelDlg::OnZoomIn() {
  state_.displayScale = display::StepDisplayScale(state_.displayScale, +1);
  state_.redraw.Notify();
  ShowStatus(IDS_ZOOM_IN_STATUS);
  ShowZoom(true);
}

void CControlPanelDlg::OnSnapshot() {
  if (snapshots_) snapshots_->OnSnapshot();
}

void CControlPanelDlg::OnInformation() {
  CAboutDlg about(state_);
  about.DoModal();
}

void CControlPanelDlg::OnProperties() {
  ShowPropertyDialog(camera_, this, &state_.measuring.calibrations);
  TellCorrectorTheCalibration();  // a settings file may have brought another one
}

void CControlPanelDlg::TellCorrectorTheCalibration() {
  if (!corrector_) return;
  const std::optional<Calibration> inUse = state_.measuring.calibrations.InUse();
  corrector_->SetCalibration(inUse ? inUse->name : std::wstring());
}

std::vector<MenuItem> CControlPanelDlg::ContextMenuItems() const {
  std::vector<MenuItem> items = LiveViewMenuItems(state_.live, state_.resourceLibrary);
  const std::vector<MenuItem> measuring = MeasureMenuItems(state_.measuring, state_.resourceLibrary);
  items.insert(items.end(), measuring.begin(), measuring.end());
  const bool playing = Playing();
  if (snapshots_) snapshots_->AddMenuItems(items, playing);
  if (recordings_) recordings_->AddMenuItems(items, playing);
  if (corrections_) corrections_->AddMenuItems(items, playing);
  return items;
}

void CControlPanelDlg::OnContextMenu(HWND target, POINT screenPoint) {
  if (target != m_hWnd) return;                      // the buttons have menus of none
  if (screenPoint.x == -1 && screenPoint.y == -1) {  // from the keyboard: at the panel's corner
    const RECT r = GetWindowRect();
    screenPoint = {r.left + 8, r.top + 8};
  }
  if (const UINT chosen = TrackContextMenu(m_hWnd, screenPoint, ContextMenuItems())) OnMenuCommand(chosen);
}

bool CControlPanelDlg::OnMenuCommand(UINT id) {
  if (LiveView view; LiveViewOfCommand(id, view)) {
    ToggleLiveView(state_.live, view);
    state_.redraw.Notify();
    return true;
  }
  if (const auto which = MeasureSwitchOfCommand(id)) {
    ToggleMeasureSwitch(state_.measuring, *which);
    state_.redraw.Notify();
    return true;
  }
  if (id == kMenuCalibration) {
    ShowCalibrationDialog(state_, this);
    TellCorrectorTheCalibration();
    return true;
  }
  return (snapshots_ && snapshots_->OnMenuCommand(id)) || (recordings_ && recordings_->OnMenuCommand(id, Playing())) ||
         (corrections_ && corrections_->OnMenuCommand(id));
}

void CControlPanelDlg::OnStartNotice() {
  const std::wstring text = std::exchange(startNotice_, std::wstring());
  if (!text.empty()) ::MessageBoxW(m_hWnd, text.c_str(), AfxProgramName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CControlPanelDlg::OnOK() {
  if (!snapshots_ || !snapshots_->HoldClose(IDOK)) CBitmapSkinDlg::OnOK();
}

void CControlPanelDlg::OnCancel() {
  if (!snapshots_ || !snapshots_->HoldClose(IDCANCEL)) CBitmapSkinDlg::OnCancel();
}

BOOL CControlPanelDlg::OnCommand(UINT notifyCode, UINT id, HWND control) {
  if (!control && OnMenuCommand(id)) return TRUE;
  if (control && notifyCode != BN_CLICKED) return CBitmapSkinDlg::OnCommand(notifyCode, id, control);
  switch (id) {
    case IDC_HIDE: ShowWindow(SW_MINIMIZE); return TRUE;
    case IDC_EXIT: OnOK(); return TRUE;
    case IDC_PLAY: OnPlay(); return TRUE;
    case IDC_STOP: OnStop(); return TRUE;
    case IDC_SNAPSHOT: OnSnapshot(); return TRUE;
    case IDC_ZOOM_OUT: OnZoomOut(); return TRUE;
    case IDC_ZOOM_IN: OnZoomIn(); return TRUE;
    case IDC_FULL_SCREEN: OnFullScreen(); return TRUE;
    case IDC_INFORMATION: OnInformation(); return TRUE;
    case IDC_RESOLUTION: return TRUE;
    case IDC_IMAGE: OnProperties(); return TRUE;
    default: return CBitmapSkinDlg::OnCommand(notifyCode, id, control);
  }
}

HBRUSH CControlPanelDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
  CBitmapSkinDlg::OnCtlColor(dc, control, kind);
  ::SetBkMode(dc, TRANSPARENT);
  if (control == statusLine_.m_hWnd) {
    ::SetTextColor(dc, kStatusTextColor);
    ::SetBkColor(dc, kStatusBackColor);
    if (!statusBrush_) statusBrush_.reset(::CreateSolidBrush(kStatusBackColor));
    return statusBrush_.get();
  }
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::SetBkColor(dc, kFaceColor);
  if (!faceBrush_) faceBrush_.reset(::CreateSolidBrush(kFaceColor));
  return faceBrush_.get();
}

BOOL CControlPanelDlg::PreTranslateMessage(MSG* msg) {
  const bool key = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
  // Escape does nothing in the panel; any other message with a wParam of 27 is not a key.
  if (key && msg->wParam == VK_ESCAPE) return TRUE;
  if (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F4) {
    OnOK();
    return CBitmapSkinDlg::PreTranslateMessage(msg);
  }
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) return TRUE;
  return CBitmapSkinDlg::PreTranslateMessage(msg);
}

void CControlPanelDlg::OnPaint() {
  if (!::IsIconic(m_hWnd)) {
    Default();
    return;
  }
  fw::ScopedPaint paint(m_hWnd);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
  const RECT client = GetClientRect();
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(paint.dc(), x, y, icon_);
}

void CControlPanelDlg::OnDestroy() {
  ::KillTimer(m_hWnd, kPictureWatchTimer);
  Default();
  // Snapshots in hand are written before anything they read goes away.
  if (snapshots_) snapshots_->Shutdown();
  // A recording ends with its file closed while its frames are still there.
  videoWindow_.SetRecordKeyHandler({});
  fullView_.SetRecordKeyHandler({});
  if (recordings_) recordings_->Shutdown();
  // A camera still being opened is never closed under the opening thread.
  if (initThread_) {
    ::WaitForSingleObject(initThread_.get(), INFINITE);
    initThread_.reset();
  }
  // The link watcher stops before the notices it may raise lose their window.
  camera_.StopWatchingLink();
  // Nothing raises notices for this window any more.
  if (notices_) notices_->Attach(nullptr);
  videoWindow_.ViewBox().StopRenderThread();
  camera_.Close();       // stops the hand-off thread and acquisition
  corrections_.reset();  // the corrector, which outlives the panel, stops telling it
}

void CControlPanelDlg::OnWindowPosChanging(WINDOWPOS* pos) {
  Default();
  if (!state_.docked || pos->cx <= 0 || !videoWindow_.m_hWnd || (pos->flags & SWP_NOMOVE)) return;
  CFloaterDlg& videoWindow = videoWindow_;
  const RECT video = videoWindow.GetWindowRect();
  // The video window's own magnet must leave this move alone.
  videoWindow.SetSnapSuppressed(TRUE);
  videoWindow.MoveWindow(video.left + pos->x - originX_, video.top + pos->y - originY_, video.right - video.left,
                         video.bottom - video.top, TRUE);
  videoWindow.SetSnapSuppressed(FALSE);
}

void CControlPanelDlg::OnWindowPosChanged(const WINDOWPOS*) {
  Default();
  const RECT panel = GetWindowRect();
  originX_ = panel.left;
  originY_ = panel.top;
}

void CControlPanelDlg::OnActivate(UINT activation, HWND other, BOOL minimized) {
  Default();
  if (activation == WA_INACTIVE || minimized || !videoWindow_.m_hWnd) return;
  if (other == videoWindow_.m_hWnd || FullViewVisible()) return;
  ::SetForegroundWindow(videoWindow_.m_hWnd);
  if (activation == WA_CLICKACTIVE) {
    // The click that activated the panel was eaten by the activation; give it back.
    ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, ::GetMessageExtraInfo());
    ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, ::GetMessageExtraInfo());
  }
}

bool CControlPanelDlg::Playing() const { return ::IsWindowEnabled(GetDlgItem(IDC_SNAPSHOT)) != FALSE; }

bool CControlPanelDlg::FullViewVisible() const { return fullView_.m_hWnd && fullView_.IsWindowVisible(); }

void CControlPanelDlg::OnFullScreen() {
  display::ToggleFullScreen(fullView_, videoWindow_, state_, this);
  ShowZoom(Playing());
}

LRESULT CControlPanelDlg::OnLeaveFullScreen() {
  display::LeaveFullScreen(fullView_, videoWindow_);
  ShowZoom(Playing());
  return 1;
}

void CControlPanelDlg::OnPictureWatchTimer() {
  const std::uint64_t newest = state_.frames.NewestNumber();
  const bool arriving = newest != framesSeen_ && camera_.IsAcquiring() && !state_.noSignal.load();
  framesSeen_ = newest;
  const BlackPictureWatch::Outcome outcome =
      pictureWatch_.Look(static_cast<double>(::GetTickCount64()) / 1000.0,
                         arriving ? NewestFrameBrightness() : std::nullopt, [this] { return camera_.CurrentRecord(); });
  if (outcome.tell) {
    blackText_ = outcome.tell->substr(0, 255);
    statusLine_.SetWindowText(blackText_.c_str());
  }
  if (outcome.back && StatusText() == blackText_) statusLine_.SetWindowText(L"");
}

// The one place the watch reads a frame.
std::optional<double> CControlPanelDlg::NewestFrameBrightness() const {
  const FrameExchange::Lease frame = state_.frames.Read();
  if (!frame) return std::nullopt;
  const FrameBlock& block = frame.Block();
  return MeanBrightness({block.Pixels(), block.Width(), block.Height(), block.Stride()});
}

LRESULT CControlPanelDlg::OnRefitFrameBuffer() {
  camera_.FitFrameBuffer();
  return 1;
}

UINT RefitFrameBufferMessage() noexcept {
  static const UINT message = ::RegisterWindowMessageW(L"Q7Viewer.RefitFrameBuffer");
  return message;
}

LRESULT CControlPanelDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (const UINT refit = RefitFrameBufferMessage(); refit != 0 && msg == refit) return OnRefitFrameBuffer();
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(icon_);
    case WM_CONTEXTMENU: OnContextMenu(reinterpret_cast<HWND>(wp), fw::PointFromLParam(lp)); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lp)); return 0;
    case WM_WINDOWPOSCHANGED: OnWindowPosChanged(reinterpret_cast<const WINDOWPOS*>(lp)); return 0;
    case WM_ACTIVATE: OnActivate(LOWORD(wp), reinterpret_cast<HWND>(lp), HIWORD(wp) != 0); return 0;
    case WM_LEAVE_FULL_SCREEN: return OnLeaveFullScreen();
    case WM_PANEL_STATUS: ShowStatus(static_cast<UINT>(wp)); return 0;
    case WM_CAMERA_OPENED: OnCameraOpened(wp != 0); return 0;
    case WM_CAMERA_LINK: OnCameraLink(static_cast<CameraLinkEvent>(wp)); return 0;
    case WM_START_NOTICE: OnStartNotice(); return 0;
    case WM_CAMERA_NOTICE:
      if (notices_) notices_->ShowQueued();
      return 0;
    case WM_TIMER:
      if (wp == kPictureWatchTimer) {
        OnPictureWatchTimer();
        return 0;
      }
      break;
    default: break;
  }
  // The snapshots', corrections' and recordings' own messages and timers.
  if (snapshots_ && snapshots_->OnMessage(msg, wp, lp)) return 0;
  if (corrections_ && corrections_->OnMessage(msg, wp, lp)) return 0;
  if (recordings_ && recordings_->OnMessage(msg, wp, lp)) return 0;
  return CBitmapSkinDlg::WindowProc(msg, wp, lp);
}
