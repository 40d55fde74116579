#include "panel/control_panel_dlg.h"

#include <objbase.h>

#include "camera/camera.h"
#include "camera/frame_hand_off.h"
#include "display/floater_dlg.h"
#include "display/full_screen.h"
#include "display/q7_fullview.h"
#include "display/render_geometry.h"
#include "framework/com_apartment.h"
#include "framework/file_dialog.h"
#include "framework/win_app.h"
#include "panel/about_dlg.h"
#include "panel/panel_layout.h"
#include "panel/property_dlg.h"
#include "panel/snapshot.h"
#include "resources/resource_ids.h"
#include "skin/skin_key.h"

namespace {

constexpr COLORREF kStatusTextColor = RGB(233, 220, 135);
constexpr COLORREF kStatusBackColor = RGB(98, 98, 98);
constexpr COLORREF kFaceColor = RGB(237, 237, 237);

// Status texts are cut to 255 characters, as the panel's line holds no more.
std::wstring PanelString(HMODULE library, UINT id) { return LoadResourceString(id, library).substr(0, 255); }

}  // namespace

CControlPanelDlg::CControlPanelDlg(AppState& state, CWnd* parent)
    : CBitmapSkinDlg(IDD_CONTROL_PANEL, parent), state_(state) {
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

bool CControlPanelDlg::HasHandOffThread() const noexcept { return handOff_ && handOff_->IsRunning(); }

void CControlPanelDlg::DoDataExchange(CDataExchange* dx) {
  CBitmapSkinDlg::DoDataExchange(dx);
  DDX_Control(dx, IDC_EXIT, closeButton_);
  DDX_Control(dx, IDC_HIDE, minimizeButton_);
  DDX_Control(dx, IDC_PLAY, playButton_);
  DDX_Control(dx, IDC_STOP, stopButton_);
  DDX_Control(dx, IDC_SNAPSHOT, snapshotButton_);
  DDX_Control(dx, IDC_ZOOM_OUT, zoomOutButton_);
  DDX_Control(dx, IDC_ZOOM_IN, zoomInButton_);
  DDX_Control(dx, IDC_FULL_SCREEN, fullScreenButton_);
  DDX_Control(dx, IDC_INFORMATION, informationButton_);
  DDX_Control(dx, IDC_STATUS, statusLine_);
  DDX_Control(dx, IDC_IMAGE, propertiesButton_);
  DDX_Control(dx, IDC_RESOLUTION, resolutionButton_);
}

BOOL CControlPanelDlg::OnInitDialog() {
  CBitmapSkinDlg::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  SetWindowText(L"Vistal Viewer");

  SetDragMove(TRUE);
  SetBackgroundBitmap(::LoadBitmapW(state_.resourceLibrary, MAKEINTRESOURCEW(IDB_PANEL_FACE)));
  SetTransparent(skin::kSkinKeyColor, TRUE);
  SetDrawMode(SKIN_DRAW_FIT);
  SetupButtons();

  if (state_.videoWindow) state_.videoWindow->ShowWindow(SW_SHOWNORMAL);
  SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  PlaceBesideVideoWindow();
  state_.docked = 1;

  initThread_.reset(::CreateThread(nullptr, 0, &CControlPanelDlg::InitializationThread, this, 0, nullptr));
  if (!initThread_) OnCameraOpened(false);
  return TRUE;
}

void CControlPanelDlg::SetupButtons() {
  for (const PanelButtonLayout& layout : PanelButtons()) {
    CHoverButton* button = Button(layout.controlId);
    if (!button || !button->m_hWnd) continue;
    button->SetStateBitmap(::LoadBitmapW(state_.resourceLibrary, MAKEINTRESOURCEW(layout.stripBitmapId)));
    button->MoveWindow(layout.rect);
    button->SetTooltipText(PanelString(state_.resourceLibrary, layout.tooltipId).c_str(), TRUE);
    if (!layout.enabledAtStart) button->EnableWindow(FALSE);
    button->SetEveryClickCounts(layout.everyClickCounts);
  }
  statusLine_.MoveWindow(PanelStatusRect());
  statusLine_.SetWindowText(L"");
}

CHoverButton* CControlPanelDlg::Button(int controlId) {
  switch (controlId) {
    case IDC_EXIT: return &closeButton_;
    case IDC_HIDE: return &minimizeButton_;
    case IDC_PLAY: return &playButton_;
    case IDC_STOP: return &stopButton_;
    case IDC_SNAPSHOT: return &snapshotButton_;
    case IDC_ZOOM_OUT: return &zoomOutButton_;
    case IDC_ZOOM_IN: return &zoomInButton_;
    case IDC_FULL_SCREEN: return &fullScreenButton_;
    case IDC_INFORMATION: return &informationButton_;
    case IDC_IMAGE: return &propertiesButton_;
    case IDC_RESOLUTION: return &resolutionButton_;
    default: return nullptr;
  }
}

void CControlPanelDlg::PlaceBesideVideoWindow() {
  RECT workArea{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const RECT panel = GetWindowRect();
  const RECT video = state_.videoWindow ? state_.videoWindow->GetWindowRect() : RECT{};
  const PanelPlacement placement =
      PlacePanelAndVideo(state_.virtualScreenWidth, state_.monitorCount, workArea.bottom,
                         SIZE{panel.right - panel.left, panel.bottom - panel.top}, video.right - video.left);
  originX_ = placement.panel.x;
  originY_ = placement.panel.y;
  SetWindowPos(nullptr, placement.panel.x, placement.panel.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (state_.videoWindow)
    state_.videoWindow->SetWindowPos(nullptr, placement.video.x, placement.video.y, 0, 0,
                                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD WINAPI CControlPanelDlg::InitializationThread(LPVOID param) noexcept {
  auto* self = static_cast<CControlPanelDlg*>(param);
  const HWND panel = self->m_hWnd;
  AppState& state = self->state_;
  ComApartment com;
  ::PostMessageW(panel, WM_PANEL_STATUS, IDS_INITIALIZE, 0);
  bool ready = false;
  try {
    ready = state.camera && state.camera->Open();
    if (ready) self->FitFrameBufferToCamera();
  } catch (...) {
    ready = false;
  }
  // Only posts: the panel may be closing and waiting for this thread to end.
  ::PostMessageW(panel, WM_CAMERA_OPENED, ready ? 1 : 0, 0);
  return 0;
}

void CControlPanelDlg::OnCameraOpened(bool ready) {
  if (ready) playButton_.EnableWindow(TRUE);
  ShowStatus(ready ? IDS_INIT_SUCCESS : IDS_CANT_FIND_CAMERA);
}

void CControlPanelDlg::ShowStatus(UINT stringId) {
  statusLine_.SetWindowText(PanelString(state_.resourceLibrary, stringId).c_str());
}

void CControlPanelDlg::EnableButtons(std::initializer_list<CHoverButton*> buttons, BOOL enable) {
  for (CHoverButton* button : buttons) button->EnableWindow(enable);
}

void CControlPanelDlg::FitFrameBufferToCamera() {
  CCamera* camera = state_.camera;
  if (camera && camera->Width() > 0 && camera->Height() > 0)
    state_.frameBuffer.Fit(camera->Width(), camera->Height(), 24);
}

void CControlPanelDlg::OnPlay() {
  CCamera* camera = state_.camera;
  const auto block = state_.frameBuffer.Current();
  const bool sizeDiffers = !block || block->Width() != camera->Width() || block->Height() != camera->Height();
  if (sizeDiffers) FitFrameBufferToCamera();
  playButton_.EnableWindow(FALSE);
  EnableButtons({&stopButton_, &snapshotButton_, &zoomInButton_, &zoomOutButton_, &fullScreenButton_}, TRUE);
  camera->StartAcquisition();
  EnableButtons({&propertiesButton_, &resolutionButton_}, TRUE);
  if (!handOff_) {
    handOff_ = std::make_unique<FrameHandOffThread>(state_, *camera);
    handOff_->Start();
  }
}

void CControlPanelDlg::OnStop() {
  playButton_.EnableWindow(TRUE);
  EnableButtons({&stopButton_, &snapshotButton_, &zoomInButton_, &zoomOutButton_, &fullScreenButton_}, FALSE);
  state_.camera->StopAcquisition();
  EnableButtons({&propertiesButton_, &resolutionButton_}, FALSE);
}

void CControlPanelDlg::OnZoomOut() {
  state_.displayScale = display::StepDisplayScale(state_.displayScale, -1);
  ShowStatus(IDS_ZOOM_OUT_STATUS);
  if (!CanZoomOut(state_.displayScale)) zoomOutButton_.EnableWindow(FALSE);
  zoomInButton_.EnableWindow(TRUE);
}

void CControlPanelDlg::OnZoomIn() {
  state_.displayScale = display::StepDisplayScale(state_.displayScale, +1);
  ShowStatus(IDS_ZOOM_IN_STATUS);
  zoomOutButton_.EnableWindow(TRUE);
  if (!CanZoomIn(state_.displayScale)) zoomInButton_.EnableWindow(FALSE);
}

void CControlPanelDlg::OnSnapshot() {
  CFileDialog dialog(FALSE, kSnapshotDefaultExtension, L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kSnapshotFilter);
  if (dialog.DoModal() != IDOK) return;
  const std::vector<std::uint8_t> frame = CopyFrameBlock(state_.frameBuffer, state_.camera->FrameLock());
  // Encoding a full frame can take a second or more; show that the program is busy.
  HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  const SnapshotOutcome outcome =
      SaveSnapshot(frame, dialog.GetPathName(), SnapshotTempPath(), SnapshotFallbackTempPath());
  ::SetCursor(previous);
  if (outcome.saved)
    ShowStatus(IDS_SNAPSHOT_SUCCESS);
  else
    AfxMessageBox(outcome.error.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void CControlPanelDlg::OnInformation() {
  CAboutDlg about(state_);
  about.DoModal();
}

void CControlPanelDlg::OnProperties() {
  if (state_.camera) ShowPropertyDialog(*state_.camera, this);
}

BOOL CControlPanelDlg::OnCommand(UINT notifyCode, UINT id, HWND control) {
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
  if (msg->wParam == VK_ESCAPE) return TRUE;
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
  Default();
  // A camera still being opened is never closed under the opening thread.
  if (initThread_) {
    ::WaitForSingleObject(initThread_.get(), INFINITE);
    initThread_.reset();
  }
  if (handOff_) {
    handOff_->Stop();
    handOff_.reset();
  }
  if (state_.videoWindow) state_.videoWindow->ViewBox().StopRenderThread();
  if (state_.camera) state_.camera->Close();
}

void CControlPanelDlg::OnWindowPosChanging(WINDOWPOS* pos) {
  Default();
  if (!state_.docked || pos->cx <= 0 || !state_.videoWindow || (pos->flags & SWP_NOMOVE)) return;
  CFloaterDlg& videoWindow = *state_.videoWindow;
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
  if (activation == WA_INACTIVE || minimized || !state_.videoWindow) return;
  if (other == state_.videoWindow->m_hWnd || FullViewVisible()) return;
  ::SetForegroundWindow(state_.videoWindow->m_hWnd);
  if (activation == WA_CLICKACTIVE) {
    // The click that activated the panel was eaten by the activation; give it back.
    ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, ::GetMessageExtraInfo());
    ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, ::GetMessageExtraInfo());
  }
}

bool CControlPanelDlg::FullViewVisible() const {
  return state_.fullView && state_.fullView->m_hWnd && state_.fullView->IsWindowVisible();
}

void CControlPanelDlg::OnFullScreen() {
  if (!state_.fullView || !state_.videoWindow) return;
  display::ToggleFullScreen(*state_.fullView, *state_.videoWindow, state_, this);
}

LRESULT CControlPanelDlg::OnLeaveFullScreen() {
  if (state_.fullView && state_.videoWindow) display::LeaveFullScreen(*state_.fullView, *state_.videoWindow);
  return 1;
}

LRESULT CControlPanelDlg::OnRefitFrameBuffer() {
  FitFrameBufferToCamera();
  return 1;
}

LRESULT CControlPanelDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(icon_);
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_WINDOWPOSCHANGING: OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lp)); return 0;
    case WM_WINDOWPOSCHANGED: OnWindowPosChanged(reinterpret_cast<const WINDOWPOS*>(lp)); return 0;
    case WM_ACTIVATE: OnActivate(LOWORD(wp), reinterpret_cast<HWND>(lp), HIWORD(wp) != 0); return 0;
    case WM_LEAVE_FULL_SCREEN: return OnLeaveFullScreen();
    case WM_REFIT_FRAME_BUFFER: return OnRefitFrameBuffer();
    case WM_PANEL_STATUS: ShowStatus(static_cast<UINT>(wp)); return 0;
    case WM_CAMERA_OPENED: OnCameraOpened(wp != 0); return 0;
    default: break;
  }
  return CBitmapSkinDlg::WindowProc(msg, wp, lp);
}
