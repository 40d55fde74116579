#include "framework/controls.h"

BOOL CButton::OnChildNotify(UINT msg, WPARAM, LPARAM lp, LRESULT* result) {
  if (msg != WM_DRAWITEM) return FALSE;
  DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
  *result = TRUE;
  return TRUE;
}

CToolTipCtrl::~CToolTipCtrl() {
  if (m_hWnd) ::DestroyWindow(UnsubclassWindow());
}

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  HWND hwnd = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  if (!hwnd) return FALSE;
  if (!Attach(hwnd, true)) {
    ::DestroyWindow(hwnd);
    return FALSE;
  }
  return TRUE;
}

void CToolTipCtrl::Activate(BOOL activate) const { SendMessage(TTM_ACTIVATE, activate, 0); }

static TOOLINFOW MakeToolInfo(HWND owner, const wchar_t* text, UINT_PTR toolId) {
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.uId = toolId;
  info.lpszText = const_cast<wchar_t*>(text);
  return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* tool, const wchar_t* text, const RECT* rect, UINT_PTR toolId) const {
  TOOLINFOW info = MakeToolInfo(tool->m_hWnd, text, toolId);
  if (rect) info.rect = *rect;
  return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const wchar_t* text, CWnd* tool, UINT_PTR toolId) const {
  TOOLINFOW info = MakeToolInfo(tool->m_hWnd, text, toolId);
  SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::SetToolRect(CWnd* tool, UINT_PTR toolId, const RECT& rect) const {
  TOOLINFOW info = MakeToolInfo(tool->m_hWnd, nullptr, toolId);
  info.rect = rect;
  SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
}

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }

void CToolTipCtrl::RelayEvent(MSG* msg) const { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
