#include "app/viewer_app.h"

#include <commctrl.h>
#include <objbase.h>

CViewerApp::CViewerApp() noexcept : CWinApp(nullptr) {}

CViewerApp::~CViewerApp() { TearDown(); }

BOOL CViewerApp::InitInstance() {
  if (StartUp()) {
    // The control panel's modal loop is the whole run of the program.
  }
  TearDown();
  return FALSE;
}

bool CViewerApp::StartUp() {
  ::InitCommonControls();
  CWinApp::InitInstance();
  // Snapshots encode through COM.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  resourceLibrary_.reset(::LoadLibraryW(kResourceLibraryName));
  if (!resourceLibrary_) {
    AfxMessageBox(L"System file not found : Q7Resource.dll", MB_OK);
    return false;
  }
  m_state.resourceLibrary = resourceLibrary_.get();
  AfxSetResourceHandle(resourceLibrary_.get());

  FitFrameBuffer(640, 480, 24);
  m_state.monitorCount = ::GetSystemMetrics(SM_CMONITORS);
  m_state.virtualScreenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  m_state.virtualScreenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  m_state.displayScale = 100.0;
  return true;
}

void CViewerApp::TearDown() noexcept {
  m_state.frameReady = 0;
  m_state.frameBuffer.Free();
  if (resourceLibrary_) {
    ::CoUninitialize();
    AfxSetResourceHandle(nullptr);
    m_state.resourceLibrary = nullptr;
    resourceLibrary_.reset();
  }
}
