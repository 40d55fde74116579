#pragma once
// CWinApp: the one application object. The program's entry point hands control to it:
// InitInstance, then the message loop (Run) only when InitInstance returns TRUE.
#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
 public:
  explicit CWinApp(const wchar_t* appName = nullptr) noexcept;
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  virtual int Run();
  virtual int ExitInstance();

  CWnd* m_pMainWnd = nullptr;  // not owned
  HINSTANCE m_hInstance = nullptr;
  const wchar_t* m_pszAppName;

 private:
  int exitCode_ = 0;
};

CWinApp* AfxGetApp() noexcept;
CWnd* AfxGetMainWnd() noexcept;
HINSTANCE AfxGetInstanceHandle() noexcept;
// The module that dialog templates, strings, bitmaps and icons are loaded from.
HINSTANCE AfxGetResourceHandle() noexcept;
void AfxSetResourceHandle(HINSTANCE module) noexcept;

// The program file's name without its folder and extension ("Q7Viewer").
std::wstring AfxProgramName();
// A message box owned by the main window (if any), titled with the program's file name.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK);

// A string of the current resource module; empty when the id holds none.
std::wstring LoadResourceString(UINT id, HINSTANCE module = AfxGetResourceHandle());

// The framework's program entry, called from WinMain.
int AfxWinMain(HINSTANCE instance);
