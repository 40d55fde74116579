// The "Calibration…" dialog made from its template and used as a user would.
#include "panel/calibration_dlg.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/handles.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"
#include "state/calibration_store.h"
#include "tests/support/message_pump.h"
#include "tests/support/private_registry.h"

namespace {

class CalibrationDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(registry_.Ok() && library_);
    AfxSetResourceHandle(library_.get());
  }
  void TearDown() override {
    dialog_.reset();
    AfxSetResourceHandle(nullptr);
  }
  void Open() {
    dialog_ = std::make_unique<CCalibrationDlg>(state_);
    ASSERT_TRUE(dialog_->Create(IDD_CALIBRATION));
  }
  void Type(int id, const wchar_t* text) const { ::SetDlgItemTextW(dialog_->m_hWnd, id, text); }
  void Click(int id) const {
    dialog_->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(dialog_->GetDlgItem(id)));
  }
  std::wstring Text(int id) const {
    wchar_t text[256] = L"";
    ::GetDlgItemTextW(dialog_->m_hWnd, id, text, 256);
    return text;
  }
  std::vector<std::wstring> Items() const {
    std::vector<std::wstring> items;
    const auto count = ::SendDlgItemMessageW(dialog_->m_hWnd, IDC_CAL_LIST, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
      wchar_t text[256] = L"";
      ::SendDlgItemMessageW(dialog_->m_hWnd, IDC_CAL_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      items.emplace_back(text);
    }
    return items;
  }
  void Measure(double length) {
    state_.measuring.measurements.Begin({100, 500});
    state_.measuring.measurements.Extend({100 + length, 500});
    state_.measuring.measurements.Finish(true);
  }

  testing_support::PrivateCurrentUser registry_;
  CWinApp app_;
  const fw::UniqueModule library_{::LoadLibraryW(L"Q7Resource.dll")};
  AppState state_;
  std::unique_ptr<CCalibrationDlg> dialog_;
};

TEST_F(CalibrationDialog, AddUseRenameAndDeleteThenOkKeepsThemForTheNextRun) {
  ASSERT_NO_FATAL_FAILURE(Open());
  for (const auto& [name, size] : {std::pair{L" 10x ", L"0,22"}, std::pair{L"40x", L"0.055"}}) {
    Type(IDC_CAL_NAME, name);
    Type(IDC_CAL_SIZE, size);
    Click(IDC_CAL_ADD);
  }
  // The first one added is in use: there was none to measure with before.
  EXPECT_EQ(Items(), (std::vector<std::wstring>{L"10x    0.22 \u00B5m per pixel    (in use)",
                                                L"40x    0.055 \u00B5m per pixel"}));
  Click(IDC_CAL_USE);  // the one just added is chosen
  Type(IDC_CAL_NAME, L"40x oil");
  Click(IDC_CAL_RENAME);
  ::SendDlgItemMessageW(dialog_->m_hWnd, IDC_CAL_LIST, LB_SETCURSEL, 0, 0);
  Click(IDC_CAL_DELETE);
  EXPECT_EQ(Items(), (std::vector<std::wstring>{L"40x oil    0.055 \u00B5m per pixel    (in use)"}));
  EXPECT_TRUE(state_.measuring.calibrations.Get().items.empty()) << "nothing changes before OK";
  dialog_->SendMessage(WM_COMMAND, IDOK, 0);
  const CalibrationSet expected{{{L"40x oil", 0.055}}, L"40x oil"};
  EXPECT_EQ(state_.measuring.calibrations.Get(), expected);
  EXPECT_EQ(ReadStoredCalibrations().set, expected);
}

// With a calibration chosen in the list too: the size worked out is what the box keeps.
TEST_F(CalibrationDialog, APixelSizeComesFromTheLastLineMeasuredAndItsTypedLength) {
  state_.measuring.calibrations.Set({{{L"10x", 0.22}}, L"10x"});
  Measure(1000);
  ASSERT_NO_FATAL_FAILURE(Open());
  EXPECT_EQ(Text(IDC_CAL_LINE), L"Last line measured: 1000.0 px = 220.0 \u00B5m with 10x");
  Type(IDC_CAL_LENGTH, L"2,5");
  ::SendDlgItemMessageW(dialog_->m_hWnd, IDC_CAL_UNIT, CB_SETCURSEL, 1, 0);  // mm
  Click(IDC_CAL_FROM_LINE);
  EXPECT_EQ(Text(IDC_CAL_SIZE), L"2.5");
  Type(IDC_CAL_NAME, L"4x");
  Click(IDC_CAL_ADD);
  Click(IDC_CAL_USE);  // the one just added is chosen
  Measure(500);        // drawn in the picture while the dialog is open: it shows as it comes
  EXPECT_TRUE(testing_support::PumpUntil(
      [&] { return Text(IDC_CAL_LINE) == L"Last line measured: 500.0 px = 1.250 mm with 4x"; }, 5000))
      << Text(IDC_CAL_LINE);
}

TEST_F(CalibrationDialog, WrongInputIsToldInTheDialogAndCancelKeepsWhatWasThere) {
  const CalibrationSet before{{{L"10x", 0.22}}, L""};
  state_.measuring.calibrations.Set(before);
  ASSERT_NO_FATAL_FAILURE(Open());
  const auto says = [&](const wchar_t* name, const wchar_t* size, int button) {
    Type(IDC_CAL_NAME, name);
    Type(IDC_CAL_SIZE, size);
    Click(button);
    return Text(IDC_CAL_MESSAGE);
  };
  EXPECT_EQ(says(L"10X", L"0.3", IDC_CAL_ADD), L"There is already a calibration called \"10X\".");
  EXPECT_EQ(says(L"20x", L"a lot", IDC_CAL_ADD), L"Type the size of a pixel in \u00B5m, such as 0.22.");
  EXPECT_EQ(says(L"20x", L"", IDC_CAL_FROM_LINE),
            L"Draw a line in the picture first: the measuring tool (M), then drag.");
  Click(IDC_CAL_DELETE);
  dialog_->SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(state_.measuring.calibrations.Get(), before);
}

}  // namespace
