#pragma once
// CSeriesDlg: the "Capture series" dialog (template IDD_CAPTURE_SERIES): folder, file format,
// interval, count or until stopped, name prefix, and a time-lapse into one AVI file at a
// playback rate instead of a file each. Start checks every field and keeps the
// dialog open with a message while one is wrong; it shows the name the first file will get.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "framework/dialog.h"
#include "panel/series_choices.h"

class CSeriesDlg : public CDialog {
 public:
  // Told what is wrong with the fields; the default is a message box owned by the dialog.
  using Tell = std::function<void(HWND dialog, const std::wstring& text)>;
  explicit CSeriesDlg(SeriesChoices initial, CWnd* parent = nullptr, Tell tell = {});

  // After Start: the checked choices.
  const SeriesChoices& Choices() const noexcept { return choices_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnCommand(UINT notifyCode, UINT id, HWND control) override;

 private:
  void OnBrowse();
  void ShowFirstFile();
  void EnableCount();
  void EnableTimeLapse();
  bool TimeLapse() const;
  SeriesFields ReadFields() const;
  std::wstring SelectedExtension() const;
  std::wstring GetText(int id) const;
  void SetText(int id, const std::wstring& text) const;

  SeriesChoices choices_;
  Tell tell_;
};

// Runs the dialog with the user's stored choices; Start stores the new choices and returns
// them, Cancel returns nothing.
std::optional<SeriesChoices> AskForSeries(CWnd* owner);
