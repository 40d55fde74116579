#include "app/viewer_app.h"

#include <commctrl.h>

#include "camera/camera.h"
#include "display/floater_dlg.h"
#include "display/q7_fullview.h"
#include "panel/control_panel_dlg.h"
#include "resources/resource_ids.h"
#include "state/calibration_store.h"

CViewerApp::CViewerApp() noexcept : CWinApp(nullptr), cameraNotices_(WM_CAMERA_NOTICE) {}

CViewerApp::~CViewerApp() { TearDown(); }

BOOL CViewerApp::InitInstance() {
  if (StartUp()) RunControlPanel();
  TearDown();
  return FALSE;
}

bool CViewerApp::StartUp() {
  ::InitCommonControls();
  CWinApp::InitInstance();
  com_ = std::make_unique<ComApartment>();

  resourceLibrary_.reset(::LoadLibraryW(kResourceLibraryName));
  if (!resourceLibrary_) {
    AfxMessageBox(L"System file not found : Q7Resource.dll", MB_OK);
    return false;
  }
  m_state.resourceLibrary = resourceLibrary_.get();
  AfxSetResourceHandle(resourceLibrary_.get());

  m_state.frames.Refit(640, 480);  // black until the camera opens
  camera_ = std::make_unique<CCamera>(m_state, [this](const std::wstring& text, const std::wstring& caption,
                                                      UINT style) { cameraNotices_.Notify(text, caption, style); });
  m_state.monitorCount = ::GetSystemMetrics(SM_CMONITORS);
  m_state.virtualScreenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  m_state.virtualScreenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);

  videoWindow_ = std::make_unique<CFloaterDlg>(m_state);
  videoWindow_->Create(IDD_VIDEO_WINDOW);
  CFloaterDlg* video = videoWindow_.get();
  fullView_ = std::make_unique<CQ7Fullview>(m_state, [video] { video->ViewBox().StartRenderThread(); });
  fullView_->Create(IDD_FULL_VIEW);

  m_state.displayScale = 100.0;
  LoadLiveViewChoices(m_state.live);
  LoadMeasureSwitches(m_state.measuring);
  startNotice_ = LoadCalibrations(m_state.measuring.calibrations);
  return true;
}

void CViewerApp::RunControlPanel() {
  CControlPanelDlg panel(m_state, *camera_, *videoWindow_, *fullView_, &cameraNotices_);
  panel.TellWhenShown(std::move(startNotice_));
  m_pMainWnd = &panel;
  panel.DoModal();
  m_pMainWnd = nullptr;
}

void CViewerApp::Observe(const char* step) noexcept {
  if (m_tearDownObserver) m_tearDownObserver(step);
}

void CViewerApp::TearDown() noexcept {
  if (fullView_) {
    fullView_.reset();  // its destructor stops its render thread before the window goes
    Observe("full-screen viewer destroyed");
  }
  if (videoWindow_) {
    videoWindow_.reset();
    Observe("video window destroyed");
  }
  m_state.frameReady = 0;
  if (m_state.frames.Size().width > 0) {
    m_state.frames.Free();
    Observe("frame buffer freed");
  }
  if (camera_) {
    camera_.reset();  // closes the device; the session's destructor lets nothing escape
    Observe("camera destroyed");
  }
  com_.reset();
  if (resourceLibrary_) {
    AfxSetResourceHandle(nullptr);
    m_state.resourceLibrary = nullptr;
    resourceLibrary_.reset();
    Observe("resource library freed");
  }
}
