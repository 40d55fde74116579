// Measuring in the running program with the simulated camera: calibrated on one outline of the
// chart, it measures others at 10 %, 100 % and 300 % and the scale bar matches its label;
// calibrations outlive the program, and a damaged stored one costs one message.
// The chart's outlines are centred and three sensor pixels wide; on sensor row 1284 only their
// upright sides cross the grey. Centre to centre the 1024 x 768 one is 1021 pixels wide, the
// 1280 x 960 one 1277, and their left sides are 128 apart. The default settings mirror the
// picture both ways, which leaves the outlines where they were.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <thread>

#include "display/picture_point.h"
#include "state/calibration_store.h"
#include "state/settings_key.h"
#include "tests/e2e/viewer_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::WaitUntil;
using testing_support::CaptureScreen;
using testing_support::ScreenPixels;

constexpr double kScanRow = 1284;
constexpr double k1024Left = 785.5, k1024Right = 1806.5, k1280Left = 657.5, k1280Right = 1934.5;
constexpr double kPixelSize = 2.5;  // µm: the calibration typed below makes it so
constexpr UINT kMenuCalibration = 40024;

// Whether the program's window under `at` has the mouse captured: it took the press (the
// panner reads the pointer then, so a drag waits for it).
bool Captured(POINT at) {
  HWND window = ::WindowFromPoint(at);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return window && ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) && info.hwndCapture == window;
}

void Drag(POINT from, POINT to, DWORD down, DWORD up) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  ::SetCursorPos(from.x, from.y);
  std::this_thread::sleep_for(50ms);
  input.mi.dwFlags = down;
  ::SendInput(1, &input, sizeof input);
  EXPECT_TRUE(WaitUntil([&] { return Captured(from); })) << "the press was not taken";
  for (int i = 1; i <= 6; ++i) {
    std::this_thread::sleep_for(20ms);
    ::SetCursorPos(from.x + (to.x - from.x) * i / 6, from.y + (to.y - from.y) * i / 6);
  }
  input.mi.dwFlags = up;
  ::SendInput(1, &input, sizeof input);
  EXPECT_TRUE(WaitUntil([&] { return !Captured(to); })) << "the release was not taken";
}

// The screen column where an upright chart line crosses `row` within `reach` of `around`: the
// centroid of what is brighter than the row's grey (measured lines' yellow aside), so a line
// that a zoom below 100 % spreads over two screen pixels is found at its middle.
std::optional<int> LineNear(int row, double around, int reach) {
  const ScreenPixels band = CaptureScreen({0, row, ::GetSystemMetrics(SM_CXSCREEN), row + 1});
  std::vector<int> green(band.width);
  for (int x = 0; x < band.width; ++x) {
    const COLORREF c = band.At(x, 0);
    green[x] = GetBValue(c) < 60 && GetGValue(c) > 180 ? 0 : GetGValue(c);
  }
  std::vector<int> sorted = green;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  double sum = 0, weight = 0;
  for (int x = std::max(0, static_cast<int>(around) - reach); x <= std::min(band.width - 1, int(around) + reach); ++x)
    if (const int above = green[x] - sorted[sorted.size() / 2]; above > 12) {
      sum += (x + 0.5) * above;
      weight += above;
    }
  return weight > 0 ? std::optional<int>(static_cast<int>(sum / weight)) : std::nullopt;
}

class Measuring : public e2e::Viewer {
 protected:
  void StartInFullScreen() {
    ASSERT_NO_FATAL_FAILURE(StartWithCamera());
    ASSERT_NO_FATAL_FAILURE(StartPlaying());
    session_->Click(IDC_FULL_SCREEN);
    ASSERT_NE(viewer_ = session_->FindFullScreenViewer(), nullptr);
    // On the screen for real (its gold caption in the corner), so the mouse reaches it.
    ASSERT_TRUE(WaitUntil([] {
      const ScreenPixels caption = CaptureScreen({0, 0, 200, 20});
      return std::count(caption.bgra.begin(), caption.bgra.end(), 0xF3CD34u) > 20;
    }));
  }
  // The dialog can stay open while the picture is measured: it shows each new line's length.
  void OpenCalibration() {
    ::PostMessageW(session_->Panel(), WM_COMMAND, kMenuCalibration, 0);
    ASSERT_NE(
        dialog_ = session_->FindOtherWindow([](HWND w) { return testing_support::WindowText(w) == L"Calibration"; }),
        nullptr);
  }
  // Asked of the control: an edit's text is its own, not its window's caption.
  std::wstring Text(int id) const {
    wchar_t text[256] = L"";
    ::SendMessageW(::GetDlgItem(dialog_, id), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
  }
  void SetText(int id, const wchar_t* text) const { ::SendDlgItemMessageW(dialog_, id, WM_SETTEXT, 0, LPARAM(text)); }
  void Press(int id) const { ::PostMessageW(dialog_, WM_COMMAND, id, LPARAM(::GetDlgItem(dialog_, id))); }
  void Key(WPARAM key, int times = 1) const {
    for (int i = 0; i < times; ++i) ::PostMessageW(viewer_, WM_KEYDOWN, key, 0);
  }
  void TearDown() override {
    if (dialog_ && ::IsWindow(dialog_)) ::PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);  // or the close waits
    WaitUntil([&] { return !::IsWindow(dialog_); });
    e2e::Viewer::TearDown();
  }

  // Drags on the scan row between the chart lines near sensor columns `fromX` and `toX` once
  // the screen shows them there (zoom and pan as in `scale` and `pan`), and expects the new
  // line's length, read from the dialog, within a sensor pixel plus a screen pixel's worth.
  void ExpectMeasured(double scale, display::PanOffset pan, double fromX, double toX, double pixels,
                      bool calibrated = true) {
    const auto view = display::PlaceView(1920, 1080, 2592, 1944, scale, pan, {0, 0, true, true});
    const PointD a = display::SensorToView(view, {fromX, kScanRow}), b = display::SensorToView(view, {toX, kScanRow});
    const int row = static_cast<int>(a.y), reach = std::max(4, static_cast<int>(3 * scale / 100));
    Key(VK_DELETE);  // the lines measured before would cover the chart's on this row
    const std::wstring none = L"No line measured yet.";
    std::optional<int> left, right;
    ASSERT_TRUE(WaitUntil([&] {
      return (left = LineNear(row, a.x, reach)) && (right = LineNear(row, b.x, reach)) && Text(IDC_CAL_LINE) == none;
    })) << "no chart lines near "
        << a.x << " and " << b.x << " on row " << row;
    Drag({*left, row}, {*right, row}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    std::wstring text;  // "Last line measured: 1277.0 px = 3.193 mm with chart"
    ASSERT_TRUE(WaitUntil([&] { return (text = Text(IDC_CAL_LINE)) != none; }));
    double measured = 0, microns = 0;
    wchar_t unit[8] = L"";
    std::swscanf(text.c_str(), L"Last line measured: %lf px = %lf %7ls", &measured, &microns, unit);
    const double tolerance = 1 + 100.0 / scale;
    EXPECT_NEAR(measured, pixels, tolerance) << scale << " %";
    if (calibrated) {
      EXPECT_NEAR(microns * (unit == std::wstring(L"mm") ? 1000 : 1), pixels * kPixelSize, tolerance * kPixelSize);
    }
  }
  // Whether the longest white run along the bottom rows, the scale bar, becomes `pixels` long,
  // ending 8 pixels from the right edge.
  ::testing::AssertionResult ScaleBarIs(int pixels) const {
    int length = 0, end = 0;
    if (WaitUntil([&] {
          const ScreenPixels bottom = CaptureScreen({0, 1040, 1920, 1080});
          length = end = 0;
          for (int y = 0; y < bottom.height; ++y)
            for (int x = 0, run = 0; x < bottom.width; ++x)
              if ((run = bottom.At(x, y) == RGB(255, 255, 255) ? run + 1 : 0) > length) length = run, end = x + 1;
          return std::abs(length - pixels) <= 1 && end == 1920 - 8;
        }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the bar is " << length << " pixels ending at " << end;
  }

  HWND viewer_ = nullptr;
  HWND dialog_ = nullptr;
};

TEST_F(Measuring, CalibratedOnTheChartItMeasuresAnotherOutlineAtEveryZoomAndTheBarMatchesItsLabel) {
  ASSERT_NO_FATAL_FAILURE(StartInFullScreen());
  // 100 %: a left drag (the measuring tool still off) pans the outlines and the scan row into view.
  Drag({1200, 300}, {900, 764}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  Key('M');
  // The calibration: the 1024 outline's sides are 2552.5 µm apart, so a pixel is 2.5 µm.
  ExpectMeasured(100, {300, 464}, k1024Left, k1024Right, 1021, false);
  SetText(IDC_CAL_LENGTH, L"2552.5");
  Press(IDC_CAL_FROM_LINE);
  ASSERT_TRUE(WaitUntil([&] { return !Text(IDC_CAL_SIZE).empty(); }));
  EXPECT_NEAR(std::wcstod(Text(IDC_CAL_SIZE).c_str(), nullptr), kPixelSize, 0.01);
  SetText(IDC_CAL_SIZE, L"2.5");  // what the stage micrometer says, to the digit
  SetText(IDC_CAL_NAME, L"chart");
  Press(IDC_CAL_ADD);
  Press(IDOK);  // the picture takes the calibration from here on
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog_); }));
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  Key('S');

  ExpectMeasured(100, {300, 464}, k1280Left, k1280Right, 1277);
  EXPECT_TRUE(ScaleBarIs(400)) << "100 %: 1 mm";
  Key(VK_SUBTRACT, 9);
  EXPECT_TRUE(ScaleBarIs(400)) << "10 %: 10 mm";
  ExpectMeasured(10, {0, 0}, k1280Left, k1280Right, 1277);
  Key(VK_ADD, 29);
  EXPECT_TRUE(ScaleBarIs(240)) << "300 %: 200 µm";
  Drag({1000, 200}, {433, 561}, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);  // the right button pans
  ExpectMeasured(300, {567, 361}, k1280Left, k1024Left, 128);

  // Escape clears the lines first, and leaves full screen once there are none.
  Key(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return Text(IDC_CAL_LINE) == L"No line measured yet."; }));
  EXPECT_TRUE(::IsWindowVisible(viewer_));
  Key(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(viewer_); }));
}

TEST_F(Measuring, CalibrationsOutliveTheProgramAndADamagedOneCostsOneMessage) {
  for (const auto& [name, text] :
       {std::pair{kCalibrationListValue, L"4x, 0.55\n10x, zero\n"}, std::pair{kCalibrationInUseValue, L"10x"}})
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, text, (std::wcslen(text) + 1) * sizeof(wchar_t));
  ASSERT_NO_FATAL_FAILURE(StartWithCamera());
  const auto damage = [](HWND w) {
    return testing_support::MessageBoxText(w).find(L"could not") != std::wstring::npos;
  };
  HWND box = session_->FindOtherWindow(damage);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_NE(testing_support::MessageBoxText(box).find(L"line 2: \"zero\" is not a number"), std::wstring::npos);
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));

  // What could be read is there; another is added and put in use, and the next run has them.
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  EXPECT_EQ(Text(IDC_CAL_NAME), L"4x");
  SetText(IDC_CAL_NAME, L"40x");
  SetText(IDC_CAL_SIZE, L"0.055");
  Press(IDC_CAL_ADD);
  Press(IDC_CAL_USE);
  Press(IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog_); }));
  EXPECT_EQ(session_->Close(), 0u);
  ASSERT_NO_FATAL_FAILURE(StartWithCamera());
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  EXPECT_EQ(Text(IDC_CAL_NAME), L"40x");
  EXPECT_EQ(Text(IDC_CAL_SIZE), L"0.055");
  EXPECT_EQ(session_->FindOtherWindow(damage, 0s), nullptr) << "the message came again";
}

}  // namespace
