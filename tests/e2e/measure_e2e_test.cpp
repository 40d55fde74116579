// Measuring in the running program with the simulated camera: calibrated on one outline of the
// chart, it measures another at 10 %, 100 % and 300 %; the scale bar is as long as its label
// says at each zoom; calibrations outlive the program, and a damaged stored one costs one
// message.
//
// The chart's outlines of the standard areas of interest are centred on the sensor and three
// sensor pixels wide; on a sensor row between the chart's middle box and its lower bars only
// their upright sides cross the grey. Centre to centre, the 1024 x 768 outline is 1021 sensor
// pixels wide and the 1280 x 960 one 1277; their left sides are 128 apart. The camera's default
// settings mirror the picture both ways, which leaves the outlines where they were.
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

constexpr int kSensorWidth = 2592, kSensorHeight = 1944;
constexpr double kScanRow = 1284;  // sensor row: below the middle box, above the lower bars
// Centres of the outlines' upright sides on the sensor, left and right.
constexpr double k1024Left = 785.5, k1024Right = 1806.5;
constexpr double k1280Left = 657.5, k1280Right = 1934.5;
constexpr double kPixelSize = 2.5;  // µm: the calibration typed below makes it so
constexpr UINT kMenuCalibration = 40024;
const display::SensorPlacement kDefaultPlacement{0, 0, true, true};

void Mouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  ::SendInput(1, &input, sizeof input);
}

// Whether the program's window under `at` has the mouse captured: it took the press. The
// panner reads the pointer when it takes the press, so the drag waits for that.
bool Captured(POINT at) {
  HWND window = ::WindowFromPoint(at);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return window && ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) && info.hwndCapture == window;
}

// A drag with one button, in small steps.
void Drag(POINT from, POINT to, DWORD down, DWORD up) {
  ::SetCursorPos(from.x, from.y);
  std::this_thread::sleep_for(50ms);
  Mouse(down);
  EXPECT_TRUE(WaitUntil([&] { return Captured(from); })) << "the press was not taken";
  for (int i = 1; i <= 6; ++i) {
    std::this_thread::sleep_for(20ms);
    ::SetCursorPos(from.x + (to.x - from.x) * i / 6, from.y + (to.y - from.y) * i / 6);
  }
  std::this_thread::sleep_for(50ms);
  Mouse(up);
  EXPECT_TRUE(WaitUntil([&] { return !Captured(to); })) << "the release was not taken";
}

ScreenPixels Row(int row) { return CaptureScreen({0, row, ::GetSystemMetrics(SM_CXSCREEN), row + 1}); }

// Whether a measured line (yellow) crosses the row anywhere.
bool ShowsAMeasuredLine(int row) {
  const ScreenPixels band = Row(row);
  for (int x = 0; x < band.width; ++x) {
    const COLORREF c = band.At(x, 0);
    if (GetRValue(c) > 200 && GetGValue(c) > 180 && GetBValue(c) < 60) return true;
  }
  return false;
}

// The screen column where an upright chart line crosses row `row`, found in the pixels within
// `reach` of `around`: the centroid of what is brighter than the row's grey, so a line that a
// zoom below 100 % spreads over two screen pixels is found at its middle.
std::optional<int> LineNear(int row, double around, int reach) {
  const ScreenPixels band = Row(row);
  const auto green = [&](int x) { return static_cast<int>((band.bgra[x] >> 8) & 0xFF); };
  std::vector<int> values;
  for (int x = 0; x < band.width; ++x) values.push_back(green(x));
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  const int grey = values[values.size() / 2];
  double sum = 0, weight = 0;
  for (int x = std::max(0, static_cast<int>(around) - reach);
       x <= std::min(band.width - 1, static_cast<int>(around) + reach); ++x) {
    const int above = green(x) - grey;
    if (above > 12) {
      sum += (x + 0.5) * above;
      weight += above;
    }
  }
  if (weight == 0) return std::nullopt;
  return static_cast<int>(sum / weight);
}

class Measuring : public e2e::Viewer {
 protected:
  // Full screen, playing, with the calibration dialog open beside it (the picture can be
  // measured while the dialog is open; the dialog shows each new line's length).
  void StartInFullScreen() {
    ASSERT_NO_FATAL_FAILURE(StartWithCamera());
    ASSERT_NO_FATAL_FAILURE(StartPlaying());
    session_->Click(IDC_FULL_SCREEN);
    viewer_ = session_->FindFullScreenViewer();
    ASSERT_NE(viewer_, nullptr);
    RECT r{};
    ::GetWindowRect(viewer_, &r);
    viewWidth_ = r.right - r.left;
    viewHeight_ = r.bottom - r.top;
    // On the screen for real (its caption in the top-left corner), so the mouse reaches it.
    ASSERT_TRUE(WaitUntil([] {
      const ScreenPixels caption = CaptureScreen({0, 0, 200, 20});
      return std::count(caption.bgra.begin(), caption.bgra.end(), 0xF3CD34u) > 20;  // RGB(243, 205, 52)
    })) << "the full-screen picture does not show";
  }
  void OpenCalibration() {
    ::PostMessageW(session_->Panel(), WM_COMMAND, MAKEWPARAM(kMenuCalibration, 0), 0);
    dialog_ = session_->FindOtherWindow([](HWND w) { return testing_support::WindowText(w) == L"Calibration"; });
    ASSERT_NE(dialog_, nullptr);
  }
  // Asked of the control itself: an edit's text is its own, not its window's caption.
  std::wstring Text(int id) const {
    wchar_t text[256] = L"";
    ::SendMessageW(::GetDlgItem(dialog_, id), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
  }
  void SetText(int id, const wchar_t* text) const {
    ::SendMessageW(::GetDlgItem(dialog_, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  void Press(int id) const {
    ::PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog_, id)));
  }
  void Key(WPARAM key, int times = 1) const {
    for (int i = 0; i < times; ++i) ::PostMessageW(viewer_, WM_KEYDOWN, key, 0);
  }

  // The view as the program places it at `scale` and `pan`.
  display::ViewPlacement View(double scale, display::PanOffset pan) const {
    return display::PlaceView(viewWidth_, viewHeight_, kSensorWidth, kSensorHeight, scale, pan, kDefaultPlacement);
  }

  struct Measured {
    double pixels = 0;
    double microns = 0;  // with a calibration in use
  };
  // Drags from the chart line near sensor column `fromX` to the one near `toX` on the scan
  // row, once the picture shows them there, and reads the new line's length from the dialog.
  std::optional<Measured> MeasureBetween(const display::ViewPlacement& view, double fromX, double toX) {
    const PointD a = display::SensorToView(view, {fromX, kScanRow});
    const PointD b = display::SensorToView(view, {toX, kScanRow});
    const int row = static_cast<int>(a.y);
    const int reach = std::max(4, static_cast<int>(3 * display::ViewPixelsPerPixel(view)));
    // The lines measured before go first, so that only the chart is bright on the row.
    Key(VK_DELETE);
    if (!WaitUntil([&] { return !ShowsAMeasuredLine(row) && Text(IDC_CAL_LINE) == L"No line measured yet."; })) {
      ADD_FAILURE() << "the lines measured before stay";
      return std::nullopt;
    }
    std::optional<int> left, right;
    const bool found = WaitUntil([&] {
      left = LineNear(row, a.x, reach);
      right = LineNear(row, b.x, reach);
      return left && right;
    });
    if (!found) {
      ADD_FAILURE() << "no chart line near " << a.x << " and " << b.x << " on row " << row;
      return std::nullopt;
    }
    const std::wstring before = Text(IDC_CAL_LINE);
    Drag({*left, row}, {*right, row}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    std::wstring after;
    if (!WaitUntil([&] { return (after = Text(IDC_CAL_LINE)) != before; })) {
      ADD_FAILURE() << "the dialog shows no new line";
      return std::nullopt;
    }
    // "Last line measured: 1277.0 px = 3.193 mm with chart"
    Measured m;
    wchar_t unit[8] = L"";
    if (std::swscanf(after.c_str(), L"Last line measured: %lf px = %lf %7ls", &m.pixels, &m.microns, unit) < 1) {
      ADD_FAILURE() << "unreadable: " << testing::PrintToString(after);
      return std::nullopt;
    }
    if (std::wstring(unit) == L"mm") m.microns *= 1000;
    return m;
  }

  // The longest white run along the view's bottom rows, and where it ends.
  struct Bar {
    int length = 0;
    int end = 0;
  };
  Bar ScaleBarOnScreen() const {
    const ScreenPixels bottom = CaptureScreen({0, viewHeight_ - 40, viewWidth_, viewHeight_});
    Bar best;
    for (int y = 0; y < bottom.height; ++y)
      for (int x = 0, run = 0; x < bottom.width; ++x) {
        run = bottom.At(x, y) == RGB(255, 255, 255) ? run + 1 : 0;
        if (run > best.length) best = {run, x + 1};
      }
    return best;
  }
  ::testing::AssertionResult ScaleBarIs(int pixels) const {
    Bar seen;
    if (WaitUntil([&] {
          seen = ScaleBarOnScreen();
          return std::abs(seen.length - pixels) <= 1 && seen.end == viewWidth_ - 8;
        }))
      return ::testing::AssertionSuccess();
    testing_support::SaveAsBmp(CaptureScreen({0, 0, viewWidth_, viewHeight_}),
                               testing_support::ModuleFolder() + L"\\failed-scale-bar.bmp");
    return ::testing::AssertionFailure() << "the bar is " << seen.length << " pixels ending at " << seen.end << ", not "
                                         << pixels << " ending at " << viewWidth_ - 8;
  }

  void TearDown() override {
    // A test that failed half-way may leave the dialog open, which would hold the close back.
    if (dialog_ && ::IsWindow(dialog_)) {
      ::PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
      WaitUntil([&] { return !::IsWindow(dialog_); });
    }
    e2e::Viewer::TearDown();
  }

  HWND viewer_ = nullptr;
  HWND dialog_ = nullptr;
  int viewWidth_ = 0, viewHeight_ = 0;
};

TEST_F(Measuring, CalibratedOnTheChartItMeasuresAnotherOutlineAtEveryZoomAndTheBarMatchesItsLabel) {
  ASSERT_NO_FATAL_FAILURE(StartInFullScreen());
  // 100 %: a left drag (the measuring tool still off) pans both outlines and the scan row into view.
  Drag({1200, 300}, {900, 764}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  const auto at100 = View(100, {300, 464});
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  Key('M');

  // The calibration: the 1024 outline's sides are 2552.5 µm apart, so a pixel is 2.5 µm.
  const auto line = MeasureBetween(at100, k1024Left, k1024Right);
  ASSERT_TRUE(line);
  EXPECT_NEAR(line->pixels, 1021, 1 + 1);
  SetText(IDC_CAL_LENGTH, L"2552.5");
  Press(IDC_CAL_FROM_LINE);
  ASSERT_TRUE(WaitUntil([&] { return !Text(IDC_CAL_SIZE).empty(); }));
  EXPECT_NEAR(std::wcstod(Text(IDC_CAL_SIZE).c_str(), nullptr), kPixelSize, 0.01);
  SetText(IDC_CAL_SIZE, L"2.5");  // what the stage micrometer says, to the digit
  SetText(IDC_CAL_NAME, L"chart");
  Press(IDC_CAL_ADD);
  ASSERT_TRUE(WaitUntil([&] { return Text(IDC_CAL_MESSAGE) == L"chart was added."; })) << Text(IDC_CAL_MESSAGE);
  Press(IDOK);  // the picture takes the calibration from here on
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog_); }));
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  Key('S');

  // Within a sensor pixel plus one screen pixel's worth, in pixels and in µm.
  const auto expectLength = [&](const std::optional<Measured>& m, double pixels, double zoom) {
    ASSERT_TRUE(m);
    const double tolerance = 1 + 100.0 / zoom;
    EXPECT_NEAR(m->pixels, pixels, tolerance) << zoom << " %";
    EXPECT_NEAR(m->microns, pixels * kPixelSize, tolerance * kPixelSize) << zoom << " %";
  };

  // 100 %: the 1280 outline, and a 1 mm bar of 400 pixels.
  expectLength(MeasureBetween(at100, k1280Left, k1280Right), 1277, 100);
  EXPECT_TRUE(ScaleBarIs(400)) << "100 %";

  // 10 %: the whole sensor shows, centred; the bar is 10 mm, 400 pixels again.
  Key(VK_SUBTRACT, 9);
  EXPECT_TRUE(ScaleBarIs(400)) << "10 %";
  expectLength(MeasureBetween(View(10, {0, 0}), k1280Left, k1280Right), 1277, 10);

  // 300 %: the bar is 200 µm, 240 pixels. The right button pans while the measuring tool is
  // on; the outlines' sides of one edge are 128 pixels apart.
  Key(VK_ADD, 29);
  EXPECT_TRUE(ScaleBarIs(240)) << "300 %";
  Drag({1000, 200}, {433, 561}, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  expectLength(MeasureBetween(View(300, {567, 361}), k1280Left, k1024Left), 128, 300);

  Press(IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog_); }));
  Key(VK_ESCAPE);  // the lines go first
  Key(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(viewer_); }));
}

TEST_F(Measuring, CalibrationsOutliveTheProgramAndADamagedOneCostsOneMessage) {
  // As a damaged registry could leave them: one good entry, one bad, and the bad one in use.
  const std::wstring list = L"4x, 0.55\n10x, zero\n", inUse = L"10x";
  for (const auto& [name, text] : {std::pair{kCalibrationListValue, list}, std::pair{kCalibrationInUseValue, inUse}})
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  ASSERT_NO_FATAL_FAILURE(StartWithCamera());
  HWND box = session_->FindOtherWindow(
      [](HWND w) { return testing_support::MessageBoxText(w).find(L"could not be read") != std::wstring::npos; });
  ASSERT_NE(box, nullptr) << "no message";
  const std::wstring message = testing_support::MessageBoxText(box);
  EXPECT_NE(message.find(L"line 2: \"zero\" is not a number"), std::wstring::npos) << testing::PrintToString(message);
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));

  // What could be read is there; a new one is added and put in use.
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  EXPECT_EQ(Text(IDC_CAL_NAME), L"4x");
  SetText(IDC_CAL_NAME, L"40x");
  SetText(IDC_CAL_SIZE, L"0.055");
  Press(IDC_CAL_ADD);
  Press(IDC_CAL_USE);
  ASSERT_TRUE(WaitUntil([&] { return Text(IDC_CAL_MESSAGE) == L"40x is in use."; })) << Text(IDC_CAL_MESSAGE);
  Press(IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog_); }));
  EXPECT_EQ(session_->Close(), 0u);

  // The next run starts with them and has nothing to say.
  ASSERT_NO_FATAL_FAILURE(StartWithCamera());
  ASSERT_NO_FATAL_FAILURE(OpenCalibration());
  EXPECT_EQ(Text(IDC_CAL_NAME), L"40x");
  EXPECT_EQ(Text(IDC_CAL_SIZE), L"0.055");
  EXPECT_EQ(session_->FindOtherWindow(
                [](HWND w) { return testing_support::MessageBoxText(w).find(L"could not") != std::wstring::npos; }, 0s),
            nullptr);
  Press(IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog_); }));
}

}  // namespace
