#pragma once
// CCalibrationDlg: the "Calibration…" dialog (template IDD_CALIBRATION). A list of named
// calibrations, each the size of one sensor pixel in µm, and which one is in use: add, rename,
// delete, type a pixel size, or work one out from the last line measured in the picture and
// its length as the user types it (µm or mm). The picture stays usable while the dialog is
// open, so the user can draw that line then; the dialog shows the newest line's length as it
// comes. Edits work on a copy: OK makes it the calibrations of this run and the next, Cancel
// forgets it.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "framework/dialog.h"
#include "state/app_state.h"

class CCalibrationDlg : public CDialog {
 public:
  explicit CCalibrationDlg(AppState& state, CWnd* parent = nullptr);

  // The calibrations as the dialog has them now.
  const CalibrationSet& Working() const noexcept { return working_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnCommand(UINT notifyCode, UINT id, HWND control) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void OnSelect();
  void OnUse(bool none);
  void OnDelete();
  void OnAdd();
  void OnRename();
  void OnSetSize();
  void OnFromLine();
  // Every change ends here: the list shown again with `select` chosen, and what to say.
  void Show(int select, const std::optional<std::wstring>& problem, const std::wstring& done);
  // The newest measured line and what it is with the calibration in use; again only when
  // there is a newer one.
  void ShowLine();
  int Selected() const;
  std::optional<double> TypedPixelSize();
  std::wstring GetText(int id) const;
  void SetText(int id, const std::wstring& text) const;

  AppState& state_;  // not owned
  CalibrationSet working_;
  std::uint64_t lineShown_ = ~std::uint64_t{0};  // the measurements' generation shown
};

// Runs the dialog modally over `owner`; IDOK once the calibrations were saved.
INT_PTR ShowCalibrationDialog(AppState& state, CWnd* owner);
