#include "framework/dialog.h"

#include "framework/handles.h"
#include "framework/win_app.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd || !dx || !dx->m_pDlgWnd) return;
  control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

CDialog::~CDialog() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

HWND CDialog::CreateFromTemplate(UINT templateId, HWND owner) {
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
  if (!info) return nullptr;
  HGLOBAL loaded = ::LoadResource(module, info);
  const auto* dialogTemplate = loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
  if (!dialogTemplate) return nullptr;
  m_nIDTemplate = templateId;
  return ::CreateDialogIndirectParamW(module, dialogTemplate, owner, &CDialog::StaticDialogProc,
                                      reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_pParentWnd = parent;
  modal_ = false;
  return CreateFromTemplate(templateId, parent ? parent->m_hWnd : nullptr) != nullptr;
}

INT_PTR CDialog::DoModal() {
  CWnd* ownerWnd = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
  HWND owner = ownerWnd && ownerWnd != this ? ownerWnd->m_hWnd : nullptr;
  const bool disableOwner = owner && ::IsWindowEnabled(owner);
  if (disableOwner) ::EnableWindow(owner, FALSE);

  modal_ = true;
  modalDone_ = false;
  modalResult_ = -1;
  if (CreateFromTemplate(m_nIDTemplate, owner) && !modalDone_) {
    if (!::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    MSG msg;
    while (!modalDone_) {
      const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit for the outer loop
        break;
      }
      if (got < 0) break;
      if (!AfxPreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
  }
  // Give activation back to the owner before the dialog disappears, so it does not go
  // to another application.
  if (disableOwner) ::EnableWindow(owner, TRUE);
  if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
  if (m_hWnd) ::DestroyWindow(m_hWnd);
  modal_ = false;
  return modalResult_;
}

void CDialog::EndDialog(int result) noexcept {
  modalResult_ = result;
  if (modal_) {
    modalDone_ = true;
    ::PostMessageW(nullptr, WM_NULL, 0, 0);  // wake the modal loop
    if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
  } else if (m_hWnd) {
    ::ShowWindow(m_hWnd, SW_HIDE);
  }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx{this, saveAndValidate};
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  // Keyboard handling of the dialog (Tab, arrows, Enter, Esc) for its own messages.
  if (!m_hWnd || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
  return ::IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnCommand(UINT notifyCode, UINT id, HWND control) {
  if (control == nullptr || notifyCode == BN_CLICKED) {
    if (id == IDOK) {
      OnOK();
      return TRUE;
    }
    if (id == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(Default()); }

void CDialog::NoteTemplatePictures() {
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[8] = L"";
    if (!::GetClassNameW(child, className, 8) || ::lstrcmpiW(className, L"Static") != 0 ||
        (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
      continue;
    if (const auto picture = reinterpret_cast<HBITMAP>(::SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0)))
      templatePictures_.emplace_back(child, picture);
  }
}

void CDialog::DeleteTemplatePictures() noexcept {
  for (const auto& [control, picture] : templatePictures_) {
    const auto shown = reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown == picture)
      fw::UniqueBitmap(reinterpret_cast<HBITMAP>(::SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, 0)));
  }
  templatePictures_.clear();
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DESTROY: DeleteTemplatePictures(); break;
    case WM_COMMAND:
      if (OnCommand(HIWORD(wp), LOWORD(wp), reinterpret_cast<HWND>(lp))) return 0;
      break;
    case WM_CTLCOLORDLG: return reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wp), m_hWnd, CTLCOLOR_DLG));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
      return reinterpret_cast<LRESULT>(
          OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), msg - WM_CTLCOLORMSGBOX));
    default: break;
  }
  return CWnd::WindowProc(msg, wp, lp);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) noexcept {
  if (msg != WM_INITDIALOG) return FALSE;  // everything else reaches the object through WindowProc
  auto* dialog = reinterpret_cast<CDialog*>(lp);
  if (!dialog->Attach(hwnd, true)) return TRUE;
  try {
    dialog->NoteTemplatePictures();
    return dialog->OnInitDialog();
  } catch (...) {
    return TRUE;
  }
}
