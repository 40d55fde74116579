#pragma once
// CTakeCorrectionDlg: what to do before a dark frame or a flat field is taken (template
// IDD_TAKE_CORRECTION): cap the lens, or take the specimen out; Take starts it.
#include <windows.h>

#include "framework/dialog.h"
#include "imaging/correction_file.h"

class CTakeCorrectionDlg : public CDialog {
 public:
  // The caption and the text of `kind` come from `strings`.
  CTakeCorrectionDlg(q7::imaging::CorrectionKind kind, HMODULE strings, CWnd* parent = nullptr) noexcept;

 protected:
  BOOL OnInitDialog() override;

 private:
  q7::imaging::CorrectionKind kind_;
  HMODULE strings_;  // not owned
};

// Runs the dialog; true when the user pressed Take.
bool ConfirmTake(q7::imaging::CorrectionKind kind, HMODULE strings, CWnd* owner);
