#pragma once
// CPropDlg: the camera property dialog (template IDD_PROPERTIES). Every change a control
// makes goes to the camera at once, and with it into the registry; OK keeps the result,
// Cancel (and Esc) puts back the settings the dialog opened with. Save... writes the
// settings to a file, Load... applies a file's settings with force, or names the line at
// fault and changes nothing. The calibrations travel in the same file: Save writes them, Load
// merges the file's into the user's own.
#include <windows.h>

#include <string>

#include "camera/property_record.h"
#include "framework/dialog.h"
#include "panel/property_controls.h"

class CCamera;
class CalibrationBook;

class CPropDlg : public CDialog {
 public:
  // Edits a copy of the camera's current record; `calibrations` (when given) are saved with
  // the settings and take a loaded file's.
  explicit CPropDlg(CCamera& camera, CWnd* parent = nullptr, CalibrationBook* calibrations = nullptr);

  // Enter never presses OK (in a limit edit it confirms the number); Alt+F4 does nothing.
  BOOL PreTranslateMessage(MSG* msg) override;

  // The settings the controls show: what the camera took last.
  const PropertyRecord& WorkingRecord() const noexcept { return working_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  BOOL OnCommand(UINT notifyCode, UINT id, HWND control) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnHScroll(HWND slider);
  void OnVScroll(HWND spin);
  void OnResolutionClicked();
  void OnCheckBoxClicked(const CheckBoxControl& box);
  void OnOnePushWhiteBalance();
  void OnDefault();
  void OnSaveSettings();
  void OnLoadSettings();
  void ValidateLimit(int editId);

  // Gives the working record to the camera and takes back what the camera really has.
  void Apply();
  // Shows the working record in every control: checks and clears, enables and disables.
  void Refresh();
  void ShowEnabling();
  void ShowLimit(const LimitControl& limit);
  void SetText(int id, const std::wstring& text) const;
  std::wstring GetText(int id) const;

  CCamera& camera_;                // not owned
  CalibrationBook* calibrations_;  // not owned; may be null
  PropertyRecord working_;
  const PropertyRecord initial_;
  // OK or Cancel has run: the focus leaving an edit while the window goes applies nothing.
  bool closing_ = false;
};

// Runs CPropDlg modally on a copy of the camera's current record. Returns IDOK or IDCANCEL,
// or -1 when the dialog cannot be created.
INT_PTR ShowPropertyDialog(CCamera& camera, CWnd* owner = nullptr, CalibrationBook* calibrations = nullptr);
