#include "framework/win_app.h"

#include "framework/wnd.h"

namespace {
CWinApp* g_app = nullptr;  // not owned: the program's one global application object
HINSTANCE g_resourceModule = nullptr;
}  // namespace

CWinApp::CWinApp(const wchar_t* appName) noexcept : m_pszAppName(appName) {
  g_app = this;
  m_hInstance = ::GetModuleHandleW(nullptr);
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
  MSG msg;
  for (;;) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      exitCode_ = got == 0 ? static_cast<int>(msg.wParam) : -1;
      break;
    }
    if (!AfxPreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return ExitInstance();
}

int CWinApp::ExitInstance() { return exitCode_; }

CWinApp* AfxGetApp() noexcept { return g_app; }
CWnd* AfxGetMainWnd() noexcept { return g_app ? g_app->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() noexcept { return g_app ? g_app->m_hInstance : ::GetModuleHandleW(nullptr); }

HINSTANCE AfxGetResourceHandle() noexcept { return g_resourceModule ? g_resourceModule : AfxGetInstanceHandle(); }
void AfxSetResourceHandle(HINSTANCE module) noexcept { g_resourceModule = module; }

std::wstring AfxProgramName() {
  wchar_t path[MAX_PATH] = L"";
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path);
  if (const auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
  if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
  return name;
}

int AfxMessageBox(const wchar_t* text, UINT type) {
  CWnd* mainWnd = AfxGetMainWnd();
  HWND owner = mainWnd && mainWnd->m_hWnd && ::IsWindowEnabled(mainWnd->m_hWnd) ? mainWnd->m_hWnd : nullptr;
  return ::MessageBoxW(owner, text, AfxProgramName().c_str(), type);
}

std::wstring LoadResourceString(UINT id, HINSTANCE module) {
  const wchar_t* text = nullptr;
  // With a zero buffer size LoadStringW hands back a pointer into the resource itself.
  const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
