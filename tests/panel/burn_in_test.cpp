// Saved pictures written for real by the snapshot worker, with the burn-in off (the BMP is the
// frame byte for byte) and on (the scale bar as long as its label says for the saved picture,
// not for the view, with the measured line and the time), in a snapshot and in a series.
#include "panel/burn_in.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/handles.h"
#include "panel/snapshot_controller.h"
#include "panel/snapshot_texts.h"
#include "tests/support/message_pump.h"

namespace {

namespace fs = std::filesystem;
constexpr int kWidth = 2592, kHeight = 1944;
constexpr std::size_t kStride = kWidth * 3;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Pixels of `colour` in `area` of a saved 24-bit top-down BMP (54 bytes of headers).
int Count(const std::vector<std::uint8_t>& bmp, const RECT& area, COLORREF colour) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const std::uint8_t* p = bmp.data() + 54 + kStride * y + 3 * x;
      n += RGB(p[2], p[1], p[0]) == colour;
    }
  return n;
}

// The longest run of the scale bar's white along the bottom rows.
int LongestBarRun(const std::vector<std::uint8_t>& bmp) {
  int best = 0;
  for (int y = kHeight - 60; y < kHeight; ++y)
    for (int x = 0, run = 0; x < kWidth; ++x) {
      const std::uint8_t* p = bmp.data() + 54 + kStride * y + 3 * x;
      run = RGB(p[2], p[1], p[0]) == display::kScaleBarColour ? run + 1 : 0;
      best = std::max(best, run);
    }
  return best;
}

class BurnInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
      if (controller_ && controller_->OnMessage(msg, wp, lp)) return 0;
      return ::DefWindowProcW(hwnd, msg, wp, lp);
    };
    windowClass.lpszClassName = L"Q7BurnInTest";
    ::RegisterClassW(&windowClass);
    panel_.reset(::CreateWindowW(L"Q7BurnInTest", L"", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr, nullptr, nullptr));
    status_ = ::CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 100, 20, panel_.get(), nullptr, nullptr, nullptr);
    state_.frames.Refit(kWidth, kHeight);
    auto block = state_.frames.EmptyBlock();
    std::fill(block->Pixels(), block->Pixels() + block->PixelBytes(), std::uint8_t{90});
    state_.frames.Publish(block, {1, 0});
    // All the view could show is on; only the burn-in choice decides.
    state_.measuring.scaleBar = state_.measuring.grid = state_.measuring.crosshair = true;
    state_.measuring.calibrations.Set({{{L"10x", 0.5}}, L"10x"});
    state_.measuring.measurements.Begin({200, 300});
    state_.measuring.measurements.Extend({1200, 300});
    state_.measuring.measurements.Finish(true);
    fs::create_directories(folder_);
    SnapshotController::Options options;
    options.askForPath = [this] { return std::optional<std::wstring>((folder_ / "shot.bmp").wstring()); };
    options.askForSeries = [this] { return SeriesChoices{folder_.wstring(), L"BMP", 500, 2, L"series"}; };
    options.burnIn = [this] { return CurrentBurnIn(state_); };
    controller_ = std::make_unique<SnapshotController>(panel_.get(), status_, library_.get(), state_.frames, options);
  }
  void TearDown() override {
    controller_.reset();
    fs::remove_all(folder_);
  }
  bool StatusBecomes(const std::wstring& text) {
    return testing_support::PumpUntil(
        [&] {
          wchar_t shown[256] = L"";
          ::GetWindowTextW(status_, shown, 256);
          return text == shown;
        },
        30000);
  }
  // The scale bar of a 2592-pixel picture at 0.5 µm is 200 µm, 400 pixels (the view's would be less).
  static void ExpectBurnedIn(const std::vector<std::uint8_t>& bmp) {
    ASSERT_EQ(bmp.size(), 54 + kStride * kHeight);
    EXPECT_EQ(LongestBarRun(bmp), 400);
    EXPECT_EQ(Count(bmp, {300, 300, 1100, 301}, display::kMeasureColour), 800);  // the line, row 300
    // No grid or crosshair: those are the view's. The crosshair's row, the grid's column:
    EXPECT_EQ(Count(bmp, {0, kHeight / 2, kWidth, kHeight / 2 + 1}, display::kCrosshairColour), 0);
    EXPECT_EQ(Count(bmp, {kWidth / 2 - 400, 0, kWidth / 2 - 399, kHeight}, display::kGridColour), 0);
    EXPECT_GT(Count(bmp, {0, kHeight - 120, 800, kHeight}, RGB(255, 255, 255)), 200);  // the time
  }

  static inline std::unique_ptr<SnapshotController> controller_;
  const fw::UniqueModule library_{::LoadLibraryW(L"Q7Resource.dll")};
  fw::UniqueWindow panel_;
  HWND status_ = nullptr;  // a child of panel_
  AppState state_;
  const fs::path folder_ = fs::temp_directory_path() / ("q7-burn-in-" + std::to_string(::GetCurrentProcessId()));
};

TEST_F(BurnInTest, OffTheBmpIsTheFrameByteForByte) {
  const std::vector<std::uint8_t> frame = state_.frames.CopyBlock();
  controller_->OnSnapshot();
  ASSERT_TRUE(StatusBecomes(L"Success for snapshot."));
  const auto header = BuildBmpFileHeader(static_cast<DWORD>(frame.size() - sizeof(BITMAPINFOHEADER)));
  std::vector<std::uint8_t> expected(header.begin(), header.end());
  expected.insert(expected.end(), frame.begin(), frame.end());
  EXPECT_TRUE(ReadBytes(folder_ / "shot.bmp") == expected);
}

TEST_F(BurnInTest, OnASnapshotAndEachPictureOfASeriesCarryTheBarOfTheSavedPictureTheLineAndTheTime) {
  state_.measuring.burnIn = true;
  controller_->OnSnapshot();
  ASSERT_TRUE(StatusBecomes(L"Success for snapshot."));
  ExpectBurnedIn(ReadBytes(folder_ / "shot.bmp"));
  ASSERT_TRUE(controller_->OnMenuCommand(kMenuCaptureSeries));
  ASSERT_TRUE(StatusBecomes(SeriesEndText(SeriesEnd::Completed, 2, 0)));
  for (const char* name : {"series_0001.bmp", "series_0002.bmp"}) ExpectBurnedIn(ReadBytes(folder_ / name));
}

}  // namespace
