#pragma once
// CViewerApp: the application object. InitInstance runs the whole life of the program:
// start-up, the modal control panel, tear-down; it always returns FALSE.
#include <windows.h>

#include "app/app_state.h"
#include "framework/handles.h"
#include "framework/win_app.h"

class CViewerApp : public CWinApp {
 public:
  CViewerApp() noexcept;
  ~CViewerApp() override;

  BOOL InitInstance() override;

  // Replaces the frame buffer by a black one of the given size.
  void FitFrameBuffer(int width, int height, int bitsPerPixel) { m_state.frameBuffer.Fit(width, height, bitsPerPixel); }

  AppState m_state;

 private:
  bool StartUp();
  void TearDown() noexcept;

  fw::UniqueModule resourceLibrary_;
};

// The name the program loads its resources from, beside the program file.
inline constexpr wchar_t kResourceLibraryName[] = L"Q7Resource.dll";
