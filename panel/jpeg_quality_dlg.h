#pragma once
// CJpegQualityDlg: the "JPEG quality" dialog (template IDD_JPEG_QUALITY), from the panel's
// right-click menu. OK checks the field and keeps the dialog open with a message while it is
// not a quality from 1 to 100.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "framework/dialog.h"

class CJpegQualityDlg : public CDialog {
 public:
  // Told what is wrong with the field; the default is a message box owned by the dialog.
  using Tell = std::function<void(HWND dialog, const std::wstring& text)>;
  explicit CJpegQualityDlg(int initial, CWnd* parent = nullptr, Tell tell = {});

  // After OK: the quality chosen.
  int Quality() const noexcept { return quality_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  int quality_;
  Tell tell_;
};

// What the dialog says about a field that is no quality.
inline constexpr wchar_t kJpegQualityRangeText[] = L"Enter a JPEG quality from 1 to 100.";

// Runs the dialog with the stored quality; OK stores the new one and returns it.
std::optional<int> AskForJpegQuality(CWnd* owner);
