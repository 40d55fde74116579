#include "panel/series_dlg.h"

#include <memory>

#include "framework/win_app.h"
#include "panel/capture_series.h"
#include "panel/folder_browser.h"
#include "panel/series_choices_store.h"
#include "panel/snapshot.h"
#include "resources/resource_ids.h"

namespace {

void TellInBox(HWND dialog, const std::wstring& text) {
  ::MessageBoxW(dialog, text.c_str(), AfxProgramName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

CSeriesDlg::CSeriesDlg(SeriesChoices initial, CWnd* parent, Tell tell)
    : CDialog(IDD_CAPTURE_SERIES, parent), choices_(std::move(initial)), tell_(tell ? std::move(tell) : TellInBox) {}

BOOL CSeriesDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const HWND combo = GetDlgItem(IDC_SERIES_FORMAT);
  const auto formats = SnapshotFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(formats[i].label.c_str()));
    if (formats[i].extension == choices_.extension) ::SendMessageW(combo, CB_SETCURSEL, i, 0);
  }
  SetText(IDC_SERIES_FOLDER, choices_.folder);
  SetText(IDC_SERIES_INTERVAL, FormatIntervalMs(choices_.intervalMs));
  SetText(IDC_SERIES_COUNT, choices_.count > 0 ? std::to_wstring(choices_.count) : L"");
  ::CheckDlgButton(m_hWnd, IDC_SERIES_UNTIL_STOPPED, choices_.count == 0 ? BST_CHECKED : BST_UNCHECKED);
  SetText(IDC_SERIES_PREFIX, choices_.prefix);
  ::CheckDlgButton(m_hWnd, IDC_SERIES_TIME_LAPSE, choices_.timeLapse ? BST_CHECKED : BST_UNCHECKED);
  SetText(IDC_SERIES_PLAYBACK_RATE, FormatIntervalMs(choices_.playbackMilliFps));
  EnableCount();
  EnableTimeLapse();
  ShowFirstFile();
  return TRUE;
}

void CSeriesDlg::OnOK() {
  const CheckedSeriesChoices checked = CheckSeriesFields(ReadFields());
  if (!checked.choices) {
    tell_(m_hWnd, checked.error);
    return;
  }
  choices_ = *checked.choices;
  CDialog::OnOK();
}

BOOL CSeriesDlg::OnCommand(UINT notifyCode, UINT id, HWND control) {
  switch (id) {
    case IDC_SERIES_BROWSE:
      if (notifyCode == BN_CLICKED) OnBrowse();
      return TRUE;
    case IDC_SERIES_UNTIL_STOPPED:
      if (notifyCode == BN_CLICKED) EnableCount();
      return TRUE;
    case IDC_SERIES_TIME_LAPSE:
      if (notifyCode == BN_CLICKED) {
        EnableTimeLapse();
        ShowFirstFile();
      }
      return TRUE;
    case IDC_SERIES_FOLDER:
    case IDC_SERIES_PREFIX:
      if (notifyCode == EN_CHANGE) ShowFirstFile();
      return TRUE;
    case IDC_SERIES_FORMAT:
      if (notifyCode == CBN_SELCHANGE) ShowFirstFile();
      return TRUE;
    default: return CDialog::OnCommand(notifyCode, id, control);
  }
}

void CSeriesDlg::OnBrowse() {
  if (const auto folder = BrowseForFolder(m_hWnd, L"Folder for the series' files", GetText(IDC_SERIES_FOLDER)))
    SetText(IDC_SERIES_FOLDER, *folder);
}

void CSeriesDlg::ShowFirstFile() {
  SeriesChoices shown;
  shown.folder = GetText(IDC_SERIES_FOLDER);
  shown.prefix = GetText(IDC_SERIES_PREFIX);
  shown.timeLapse = TimeLapse();
  shown.extension = SelectedExtension();
  std::wstring text;
  if (IsGoodSeriesPrefix(shown.prefix) && !shown.extension.empty()) {
    const SeriesPlan plan = PlanSeries(shown);
    text = L"First file: " + SeriesFileName(plan.prefix, plan.firstNumber, plan.extension);
  }
  SetText(IDC_SERIES_FIRST_FILE, text);
}

bool CSeriesDlg::TimeLapse() const { return ::IsDlgButtonChecked(m_hWnd, IDC_SERIES_TIME_LAPSE) == BST_CHECKED; }

// A time-lapse is JPEG frames in one AVI file: the format does not apply, the playback rate does.
void CSeriesDlg::EnableTimeLapse() {
  ::EnableWindow(GetDlgItem(IDC_SERIES_FORMAT), !TimeLapse());
  ::EnableWindow(GetDlgItem(IDC_SERIES_PLAYBACK_RATE), TimeLapse());
}

void CSeriesDlg::EnableCount() {
  const bool untilStopped = ::IsDlgButtonChecked(m_hWnd, IDC_SERIES_UNTIL_STOPPED) == BST_CHECKED;
  ::EnableWindow(GetDlgItem(IDC_SERIES_COUNT), !untilStopped);
}

SeriesFields CSeriesDlg::ReadFields() const {
  return {GetText(IDC_SERIES_FOLDER),
          SelectedExtension(),
          GetText(IDC_SERIES_INTERVAL),
          GetText(IDC_SERIES_COUNT),
          ::IsDlgButtonChecked(m_hWnd, IDC_SERIES_UNTIL_STOPPED) == BST_CHECKED,
          GetText(IDC_SERIES_PREFIX),
          TimeLapse(),
          GetText(IDC_SERIES_PLAYBACK_RATE)};
}

std::wstring CSeriesDlg::SelectedExtension() const {
  const LRESULT selected = ::SendDlgItemMessageW(m_hWnd, IDC_SERIES_FORMAT, CB_GETCURSEL, 0, 0);
  const auto formats = SnapshotFormats();
  return selected >= 0 && static_cast<std::size_t>(selected) < formats.size() ? formats[selected].extension : L"";
}

std::wstring CSeriesDlg::GetText(int id) const {
  const HWND control = GetDlgItem(id);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void CSeriesDlg::SetText(int id, const std::wstring& text) const { ::SetDlgItemTextW(m_hWnd, id, text.c_str()); }

std::optional<SeriesChoices> AskForSeries(CWnd* owner) {
  CSeriesDlg dialog(LoadSeriesChoices(), owner);
  if (dialog.DoModal() != IDOK) return std::nullopt;
  // Losing the choices for next time is no reason to hold the series back.
  StoreSeriesChoices(dialog.Choices());
  return dialog.Choices();
}
