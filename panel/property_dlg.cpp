#include "panel/property_dlg.h"

#include <commctrl.h>

#include <cstring>

#include "camera/camera.h"
#include "framework/file_dialog.h"
#include "panel/settings_file_io.h"
#include "resources/resource_ids.h"
#include "state/calibration_store.h"

namespace {

constexpr wchar_t kSaveCaption[] = L"Save camera settings";
constexpr wchar_t kLoadCaption[] = L"Load camera settings";

bool SameRecord(const PropertyRecord& a, const PropertyRecord& b) noexcept {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The hourglass while the one-push calibration blocks this thread (up to five seconds).
class ScopedWaitCursor {
 public:
  ScopedWaitCursor() noexcept : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
  ~ScopedWaitCursor() { ::SetCursor(previous_); }
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

 private:
  HCURSOR previous_;  // shared system cursor: not destroyed
};

}  // namespace

CPropDlg::CPropDlg(CCamera& camera, CWnd* parent, CalibrationBook* calibrations)
    : CDialog(IDD_PROPERTIES, parent),
      camera_(camera),
      calibrations_(calibrations),
      working_(camera.CurrentRecord()),
      initial_(working_) {
  // The template's sliders and up-downs need their window classes.
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  ::InitCommonControlsEx(&classes);
}

BOOL CPropDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (const SliderControl& s : PropertySliders()) {
    // TBM_SETRANGE packs 16-bit limits; the exposure slider reaches 500000.
    ::SendDlgItemMessageW(m_hWnd, s.sliderId, TBM_SETRANGEMIN, FALSE, s.minPosition);
    ::SendDlgItemMessageW(m_hWnd, s.sliderId, TBM_SETRANGEMAX, TRUE, s.maxPosition);
  }
  for (const LimitControl& l : PropertyLimits()) {
    ::SendDlgItemMessageW(m_hWnd, l.spinId, UDM_SETRANGE32, l.minValue, l.maxValue);
    UDACCEL step{0, static_cast<UINT>(l.step)};
    ::SendDlgItemMessageW(m_hWnd, l.spinId, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
  }
  Refresh();
  return TRUE;
}

BOOL CPropDlg::PreTranslateMessage(MSG* msg) {
  if (m_hWnd && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
      HWND focus = ::GetFocus();
      if (focus && ::IsChild(m_hWnd, focus)) {
        const int id = ::GetDlgCtrlID(focus);
        if (FindLimitByEdit(id)) ValidateLimit(id);
      }
      return TRUE;
    }
    if (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F4) return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

LRESULT CPropDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_HSCROLL: OnHScroll(reinterpret_cast<HWND>(lp)); break;  // and default processing
    case WM_VSCROLL: OnVScroll(reinterpret_cast<HWND>(lp)); break;
    default: break;
  }
  return CDialog::WindowProc(msg, wp, lp);
}

BOOL CPropDlg::OnCommand(UINT notifyCode, UINT id, HWND control) {
  const int controlId = static_cast<int>(id);
  if (control && notifyCode == EN_KILLFOCUS && FindLimitByEdit(controlId)) {
    ValidateLimit(controlId);
    return TRUE;
  }
  if (control && notifyCode == BN_CLICKED) {
    if (ResolutionIndexOfRadio(controlId) >= 0) {
      OnResolutionClicked();
      return TRUE;
    }
    if (const CheckBoxControl* box = FindCheckBox(controlId)) {
      OnCheckBoxClicked(*box);
      return TRUE;
    }
    if (controlId == IDC_WHITE_BALANCE) {
      OnOnePushWhiteBalance();
      return TRUE;
    }
    if (controlId == IDC_DEFAULT) {
      OnDefault();
      return TRUE;
    }
    if (controlId == IDC_SAVE_SETTINGS) {
      OnSaveSettings();
      return TRUE;
    }
    if (controlId == IDC_LOAD_SETTINGS) {
      OnLoadSettings();
      return TRUE;
    }
  }
  return CDialog::OnCommand(notifyCode, id, control);
}

void CPropDlg::OnOK() {
  Apply();
  closing_ = true;
  CDialog::OnOK();
}

void CPropDlg::OnCancel() {
  closing_ = true;
  camera_.ApplyProperties(initial_, false);
  CDialog::OnCancel();
}

// Every notification, dragging included; the trackbar sends them from its own mouse
// handling, one per move, so they never queue up behind a slow apply.
void CPropDlg::OnHScroll(HWND slider) {
  const int id = ::GetDlgCtrlID(slider);
  const SliderControl* s = FindSlider(id);
  if (!s) return;
  SetFromSliderPosition(working_, id, static_cast<int>(::SendMessageW(slider, TBM_GETPOS, 0, 0)));
  SetText(s->editId, SliderValueText(working_, id));
  Apply();
}

void CPropDlg::OnVScroll(HWND spin) {
  if (const LimitControl* limit = FindLimitBySpin(::GetDlgCtrlID(spin))) ValidateLimit(limit->editId);
}

void CPropDlg::OnResolutionClicked() {
  for (int index = 0; index < kResolutionCount; ++index) {
    if (::IsDlgButtonChecked(m_hWnd, kResolutionRadioIds[index]) == BST_CHECKED) {
      working_.resolutionIndex = index;
      break;
    }
  }
  Apply();
}

void CPropDlg::OnCheckBoxClicked(const CheckBoxControl& box) {
  working_.*box.field = ::IsDlgButtonChecked(m_hWnd, box.id) == BST_CHECKED ? 1 : 0;
  Apply();
  ShowEnabling();
}

void CPropDlg::OnOnePushWhiteBalance() {
  {
    ScopedWaitCursor wait;
    camera_.OnePushWhiteBalance(&working_);
  }
  if (camera_.IsOpen()) working_ = camera_.CurrentRecord();
  Refresh();
}

void CPropDlg::OnDefault() {
  SetDefaults(working_);
  Apply();
  Refresh();
}

void CPropDlg::OnSaveSettings() {
  CFileDialog dialog(FALSE, kSettingsFileExtension, L"", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                     kSettingsFileFilter, this);
  if (dialog.DoModal() != IDOK) return;
  const std::wstring error =
      WriteSettingsFile(dialog.GetPathName(), working_, calibrations_ ? calibrations_->Get() : CalibrationSet{});
  if (!error.empty()) ::MessageBoxW(m_hWnd, error.c_str(), kSaveCaption, MB_OK | MB_ICONEXCLAMATION);
}

void CPropDlg::OnLoadSettings() {
  CFileDialog dialog(TRUE, kSettingsFileExtension, L"", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST,
                     kSettingsFileFilter, this);
  if (dialog.DoModal() != IDOK) return;
  const LoadedSettings loaded = ReadSettingsFile(dialog.GetPathName(), working_);
  if (!loaded.ok) {
    ::MessageBoxW(m_hWnd, loaded.error.c_str(), kLoadCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (calibrations_ && loaded.calibrations)
    SaveCalibrations(*calibrations_, MergeCalibrations(calibrations_->Get(), *loaded.calibrations));
  // With force: the file says what the camera should have, whatever this dialog believes.
  working_ = loaded.record;
  camera_.ApplyProperties(working_, true);
  if (camera_.IsOpen()) working_ = camera_.CurrentRecord();
  Refresh();
}

void CPropDlg::ValidateLimit(int editId) {
  if (closing_) return;
  const LimitControl* limit = FindLimitByEdit(editId);
  if (!limit) return;
  // An accepted number is applied, a rejected one changes nothing; either way the edit then
  // shows the limit the camera has (a rejected number undone, a gain limit in whole dB).
  if (CheckLimit(working_, editId, ParseEditNumber(GetText(editId))) != LimitCheck::Unchanged) Apply();
  ShowLimit(*limit);
}

void CPropDlg::Apply() {
  // The camera and the registry already hold this record: writing it again would only
  // slow a dragged slider down.
  if (camera_.IsOpen() && SameRecord(working_, camera_.CurrentRecord())) return;
  const PropertyRecord wanted = working_;
  camera_.ApplyProperties(working_, false);
  // The camera reported what it refused; show what it kept instead.
  if (camera_.IsOpen()) working_ = camera_.CurrentRecord();
  if (!SameRecord(wanted, working_)) Refresh();
}

void CPropDlg::Refresh() {
  for (int index = 0; index < kResolutionCount; ++index) {
    ::CheckDlgButton(m_hWnd, kResolutionRadioIds[index],
                     index == working_.resolutionIndex ? BST_CHECKED : BST_UNCHECKED);
  }
  for (const CheckBoxControl& box : PropertyCheckBoxes()) {
    ::CheckDlgButton(m_hWnd, box.id, working_.*box.field != 0 ? BST_CHECKED : BST_UNCHECKED);
  }
  for (const LimitControl& limit : PropertyLimits()) ShowLimit(limit);
  for (const SliderControl& s : PropertySliders()) {
    ::SendDlgItemMessageW(m_hWnd, s.sliderId, TBM_SETPOS, TRUE, SliderPositionOf(working_, s.sliderId));
    SetText(s.editId, SliderValueText(working_, s.sliderId));
  }
  ShowEnabling();
}

void CPropDlg::ShowEnabling() {
  for (int id : AutoDependentControls()) ::EnableWindow(GetDlgItem(id), IsControlEnabled(working_, id));
}

void CPropDlg::ShowLimit(const LimitControl& limit) {
  const int value = LimitValueOf(working_, limit.editId);
  // The up-down clamps to its range and writes that into the edit; the text written after
  // it shows the record's value even when it lies outside (the default 10 microseconds).
  ::SendDlgItemMessageW(m_hWnd, limit.spinId, UDM_SETPOS32, 0, value);
  SetText(limit.editId, std::to_wstring(value));
}

void CPropDlg::SetText(int id, const std::wstring& text) const {
  // Only a real change: setting the same text again would move the caret of an edit the
  // user is in.
  if (GetText(id) != text) ::SetDlgItemTextW(m_hWnd, id, text.c_str());
}

std::wstring CPropDlg::GetText(int id) const {
  wchar_t text[64] = L"";
  ::GetDlgItemTextW(m_hWnd, id, text, 64);
  return text;
}

INT_PTR ShowPropertyDialog(CCamera& camera, CWnd* owner, CalibrationBook* calibrations) {
  CPropDlg dialog(camera, owner, calibrations);
  return dialog.DoModal();
}
