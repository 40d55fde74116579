#include "panel/calibration_dlg.h"

#include <algorithm>
#include <cstdio>

#include "display/measure_math.h"
#include "resources/resource_ids.h"
#include "state/calibration_store.h"

namespace {

// The newest line is looked for this often while the dialog is open.
constexpr UINT_PTR kLineTimer = 1;
constexpr UINT kLineTimerMs = 250;

std::wstring Number(double value) {
  wchar_t text[64];
  std::swprintf(text, std::size(text), L"%.6g", value);
  return text;
}

std::wstring Trimmed(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::wstring ListText(const Calibration& c, bool inUse) {
  return c.name + L"    " + Number(c.micronsPerPixel) + L" \u00B5m per pixel" + (inUse ? L"    (in use)" : L"");
}

}  // namespace

CCalibrationDlg::CCalibrationDlg(AppState& state, CWnd* parent)
    : CDialog(IDD_CALIBRATION, parent), state_(state), working_(state.measuring.calibrations.Get()) {}

BOOL CCalibrationDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (const wchar_t* unit : {L"\u00B5m", L"mm"})
    ::SendDlgItemMessageW(m_hWnd, IDC_CAL_UNIT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
  ::SendDlgItemMessageW(m_hWnd, IDC_CAL_UNIT, CB_SETCURSEL, 0, 0);
  Show(working_.InUse() ? working_.IndexOf(working_.inUse) : (working_.items.empty() ? -1 : 0), std::nullopt, L"");
  ShowLine();
  ::SetTimer(m_hWnd, kLineTimer, kLineTimerMs, nullptr);
  return TRUE;
}

void CCalibrationDlg::OnOK() {
  ::KillTimer(m_hWnd, kLineTimer);
  SaveCalibrations(state_.measuring.calibrations, working_);
  state_.redraw.Notify();  // the scale bar, grid, lines and information line follow
  CDialog::OnOK();
}

BOOL CCalibrationDlg::OnCommand(UINT notifyCode, UINT id, HWND control) {
  if (id == IDC_CAL_LIST) {
    if (notifyCode == LBN_SELCHANGE) OnSelect();
    return TRUE;
  }
  if (!control || notifyCode != BN_CLICKED) return CDialog::OnCommand(notifyCode, id, control);
  switch (id) {
    case IDC_CAL_USE: OnUse(false); return TRUE;
    case IDC_CAL_USE_NONE: OnUse(true); return TRUE;
    case IDC_CAL_DELETE: OnDelete(); return TRUE;
    case IDC_CAL_ADD: OnAdd(); return TRUE;
    case IDC_CAL_RENAME: OnRename(); return TRUE;
    case IDC_CAL_SET_SIZE: OnSetSize(); return TRUE;
    case IDC_CAL_FROM_LINE: OnFromLine(); return TRUE;
    default: return CDialog::OnCommand(notifyCode, id, control);
  }
}

LRESULT CCalibrationDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kLineTimer) {
        ShowLine();
        return 0;
      }
      break;
    case WM_DESTROY: ::KillTimer(m_hWnd, kLineTimer); break;
    default: break;
  }
  return CDialog::WindowProc(msg, wp, lp);
}

int CCalibrationDlg::Selected() const {
  return static_cast<int>(::SendDlgItemMessageW(m_hWnd, IDC_CAL_LIST, LB_GETCURSEL, 0, 0));
}

void CCalibrationDlg::OnSelect() {
  const int index = Selected();
  if (index < 0 || index >= static_cast<int>(working_.items.size())) return;
  const Calibration& c = working_.items[static_cast<std::size_t>(index)];
  SetText(IDC_CAL_NAME, c.name);
  SetText(IDC_CAL_SIZE, Number(c.micronsPerPixel));
  SetText(IDC_CAL_MESSAGE, L"");
}

void CCalibrationDlg::OnUse(bool none) {
  const int index = Selected();
  if (none) {
    working_.inUse.clear();
    Show(index, std::nullopt, L"No calibration is in use.");
    return;
  }
  if (index < 0) {
    Show(index, L"Choose a calibration first.", L"");
    return;
  }
  working_.inUse = working_.items[static_cast<std::size_t>(index)].name;
  Show(index, std::nullopt, working_.inUse + L" is in use.");
}

void CCalibrationDlg::OnDelete() {
  const int index = Selected();
  if (index < 0) {
    Show(index, L"Choose a calibration first.", L"");
    return;
  }
  const std::wstring name = working_.items[static_cast<std::size_t>(index)].name;
  DeleteCalibration(working_, index);
  Show(std::min(index, static_cast<int>(working_.items.size()) - 1), std::nullopt, name + L" was deleted.");
}

std::optional<double> CCalibrationDlg::TypedPixelSize() {
  const std::optional<double> size = ParseTypedNumber(GetText(IDC_CAL_SIZE));
  if (!size) Show(Selected(), L"Type the size of a pixel in \u00B5m, such as 0.22.", L"");
  return size;
}

void CCalibrationDlg::OnAdd() {
  const std::optional<double> size = TypedPixelSize();
  if (!size) return;
  const std::wstring name = Trimmed(GetText(IDC_CAL_NAME));
  const auto problem = AddCalibration(working_, name, *size);
  // The first calibration is the one in use: there was none to measure with before.
  if (!problem && working_.items.size() == 1) working_.inUse = name;
  Show(problem ? Selected() : static_cast<int>(working_.items.size()) - 1, problem, name + L" was added.");
}

void CCalibrationDlg::OnRename() {
  const std::wstring name = Trimmed(GetText(IDC_CAL_NAME));
  const int index = Selected();
  Show(index, RenameCalibration(working_, index, name), L"Renamed " + name + L".");
}

void CCalibrationDlg::OnSetSize() {
  const std::optional<double> size = TypedPixelSize();
  if (!size) return;
  const int index = Selected();
  const auto problem = SetPixelSize(working_, index, *size);
  Show(index, problem,
       problem ? L"" : working_.items[static_cast<std::size_t>(index)].name + L" has a new pixel size.");
}

void CCalibrationDlg::OnFromLine() {
  const std::optional<SensorLine> line = state_.measuring.measurements.Last();
  if (!line) {
    Show(Selected(), L"Draw a line in the picture first: the measuring tool (M), then drag.", L"");
    return;
  }
  const std::optional<double> length = ParseTypedNumber(GetText(IDC_CAL_LENGTH));
  if (!length || !(*length > 0)) {
    Show(Selected(), L"Type the length of the line, such as 250.", L"");
    return;
  }
  const bool mm = ::SendDlgItemMessageW(m_hWnd, IDC_CAL_UNIT, CB_GETCURSEL, 0, 0) == 1;
  const double pixels = display::MeasureLine(*line, {}, std::nullopt).pixels;
  const auto size = PixelSizeFromLine(pixels, *length, mm ? LengthUnit::Millimetre : LengthUnit::Micrometre);
  if (!size) {
    Show(Selected(), L"That gives a pixel size out of range: " + *PixelSizeProblem(0), L"");
    return;
  }
  // Shown after the list, which puts the chosen calibration's own size in the box.
  Show(Selected(), std::nullopt, L"Now Add it, or Set size of the chosen one.");
  SetText(IDC_CAL_SIZE, Number(*size));
}

void CCalibrationDlg::Show(int select, const std::optional<std::wstring>& problem, const std::wstring& done) {
  const HWND list = GetDlgItem(IDC_CAL_LIST);
  ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
  const Calibration* inUse = working_.InUse();
  for (const Calibration& c : working_.items) {
    const std::wstring text = ListText(c, inUse == &c);
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
  if (!problem && select >= 0) OnSelect();
  SetText(IDC_CAL_MESSAGE, problem ? *problem : done);
  lineShown_ = ~std::uint64_t{0};  // the line's length in µm follows the calibration in use
  ShowLine();
}

void CCalibrationDlg::ShowLine() {
  const std::uint64_t generation = state_.measuring.measurements.Generation();
  if (generation == lineShown_) return;
  lineShown_ = generation;
  const std::optional<SensorLine> line = state_.measuring.measurements.Last();
  if (!line) {
    SetText(IDC_CAL_LINE, L"No line measured yet.");
    return;
  }
  const Calibration* inUse = working_.InUse();
  const display::LineMeasure m =
      display::MeasureLine(*line, {}, inUse ? std::optional<double>(inUse->micronsPerPixel) : std::nullopt);
  wchar_t pixels[64];
  std::swprintf(pixels, std::size(pixels), L"%.1f px", m.pixels);
  std::wstring text = L"Last line measured: " + std::wstring(pixels);
  if (m.microns) text += L" = " + display::FormatMicrons(*m.microns) + L" with " + inUse->name;
  SetText(IDC_CAL_LINE, text);
}

std::wstring CCalibrationDlg::GetText(int id) const {
  const HWND control = GetDlgItem(id);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void CCalibrationDlg::SetText(int id, const std::wstring& text) const {
  if (GetText(id) != text) ::SetDlgItemTextW(m_hWnd, id, text.c_str());
}

INT_PTR ShowCalibrationDialog(AppState& state, CWnd* owner) {
  CCalibrationDlg dialog(state, owner);
  return dialog.DoModal();
}
