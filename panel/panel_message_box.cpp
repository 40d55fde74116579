#include "panel/panel_message_box.h"

#include "framework/win_app.h"

void TellUserOverPanel(HWND panel, const std::wstring& text) {
  HWND owner = ::IsWindowVisible(panel) ? ::GetLastActivePopup(panel) : nullptr;
  if (owner && !::IsWindowEnabled(owner)) owner = panel;
  ::MessageBoxW(owner, text.c_str(), AfxProgramName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}
