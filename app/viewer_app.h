#pragma once
// CViewerApp: the application object. InitInstance runs the whole life of the program:
// start-up, the modal control panel, tear-down; it always returns FALSE.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/com_apartment.h"
#include "framework/handles.h"
#include "framework/notice_board.h"
#include "framework/win_app.h"
#include "state/app_state.h"

class CCamera;
class CFloaterDlg;
class CQ7Fullview;

class CViewerApp : public CWinApp {
 public:
  CViewerApp() noexcept;
  ~CViewerApp() override;

  BOOL InitInstance() override;

  // Told the name of each tear-down step just after it ran; for tests.
  std::function<void(const char* step)> m_tearDownObserver;

  AppState m_state;

  // The objects the application owns, null outside StartUp..TearDown; for tests.
  CCamera* Camera() const noexcept { return camera_.get(); }
  CFloaterDlg* VideoWindow() const noexcept { return videoWindow_.get(); }
  CQ7Fullview* FullView() const noexcept { return fullView_.get(); }

 protected:
  // Runs the control panel modally; the whole run of the program happens inside.
  virtual void RunControlPanel();

 private:
  bool StartUp();
  void TearDown() noexcept;
  void Observe(const char* step) noexcept;

  fw::UniqueModule resourceLibrary_;
  std::unique_ptr<ComApartment> com_;  // snapshot encoders use COM on this thread
  CNoticeBoard cameraNotices_;
  std::unique_ptr<CCamera> camera_;
  std::unique_ptr<CFloaterDlg> videoWindow_;
  std::unique_ptr<CQ7Fullview> fullView_;
  std::wstring startNotice_;  // what start-up found wrong with the stored settings, for the panel to say
};

// The name the program loads its resources from, beside the program file.
inline constexpr wchar_t kResourceLibraryName[] = L"Q7Resource.dll";
