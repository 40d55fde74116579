// Saved pictures with and without the burn-in, written for real by the snapshot worker: off,
// the BMP is the frame byte for byte; on, the scale bar is as long as its label says for the
// saved picture (not for the view), with the measured lines and the time drawn in, in a
// snapshot and in each picture of a series.
#include "panel/burn_in.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/handles.h"
#include "panel/snapshot_controller.h"
#include "panel/snapshot_texts.h"
#include "tests/support/message_pump.h"

namespace {

using testing_support::PumpUntil;
namespace fs = std::filesystem;

constexpr int kWidth = 2592, kHeight = 1944;
constexpr std::uint8_t kGrey = 90;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A 24-bit top-down BMP as written: 54 bytes of headers, then the rows.
class SavedPicture {
 public:
  explicit SavedPicture(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Valid() const { return bytes_.size() == 54 + kStride * static_cast<std::size_t>(kHeight); }
  COLORREF At(int x, int y) const {
    const std::uint8_t* p = bytes_.data() + 54 + kStride * static_cast<std::size_t>(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
  }
  int Count(const RECT& r, COLORREF colour) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == colour;
    return n;
  }
  // The longest run of `colour` in a row of the bottom quarter.
  int LongestRunAtTheBottom(COLORREF colour) const {
    int best = 0;
    for (int y = kHeight * 3 / 4; y < kHeight; ++y)
      for (int x = 0, run = 0; x < kWidth; ++x) {
        run = At(x, y) == colour ? run + 1 : 0;
        best = std::max(best, run);
      }
    return best;
  }

 private:
  static constexpr std::size_t kStride = (kWidth * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> bytes_;
};

class BurnInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(::LoadLibraryW(L"Q7Resource.dll"));
    ASSERT_TRUE(library_);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &BurnInTest::PanelProc;
    windowClass.lpszClassName = L"Q7BurnInTest";
    ::RegisterClassW(&windowClass);
    panel_.reset(::CreateWindowW(L"Q7BurnInTest", L"", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr, nullptr, nullptr));
    status_ = ::CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 100, 20, panel_.get(), nullptr, nullptr, nullptr);
    state_.frames.Refit(kWidth, kHeight);
    std::unique_ptr<FrameBlock> block = state_.frames.EmptyBlock();
    ASSERT_TRUE(block);
    std::fill(block->Pixels(), block->Pixels() + block->PixelBytes(), kGrey);
    ASSERT_TRUE(state_.frames.Publish(block, {1, 0}));
    // Everything the view could show is on; only the burn-in choice decides.
    state_.measuring.scaleBar = state_.measuring.grid = state_.measuring.crosshair = true;
    CalibrationSet set;
    set.items = {{L"10x", 0.5}};
    set.inUse = L"10x";
    state_.measuring.calibrations.Set(set);
    state_.measuring.measurements.Begin({200, 300});
    state_.measuring.measurements.Extend({1200, 300});
    state_.measuring.measurements.Finish(true);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    controller_.reset();
    fs::remove_all(folder_);
  }

  void MakeController(std::optional<SeriesChoices> series = std::nullopt) {
    SnapshotController::Options options;
    options.askForPath = [this] { return std::optional<std::wstring>((folder_ / "shot.bmp").wstring()); };
    options.askForSeries = [series] { return series; };
    options.tellUser = [this](const std::wstring& text) { told_.push_back(text); };
    options.burnIn = [this] { return CurrentBurnIn(state_); };
    controller_ = std::make_unique<SnapshotController>(panel_.get(), status_, library_.get(), state_.frames, options);
  }
  SavedPicture Snapshot() {
    MakeController();
    controller_->OnSnapshot();
    EXPECT_TRUE(PumpUntil([&] { return Status() == L"Success for snapshot."; }, 30000)) << Status();
    return SavedPicture(ReadBytes(folder_ / "shot.bmp"));
  }
  std::wstring Status() const {
    wchar_t text[256] = L"";
    ::GetWindowTextW(status_, text, 256);
    return text;
  }
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (controller_ && controller_->OnMessage(msg, wp, lp)) return 0;
    return ::DefWindowProcW(hwnd, msg, wp, lp);
  }

  static inline std::unique_ptr<SnapshotController> controller_;
  fw::UniqueModule library_;
  fw::UniqueWindow panel_;
  HWND status_ = nullptr;  // a child of panel_
  AppState state_;
  const fs::path folder_ = fs::temp_directory_path() / ("q7-burn-in-" + std::to_string(::GetCurrentProcessId()));
  std::vector<std::wstring> told_;
};

TEST_F(BurnInTest, OffTheBmpIsTheFrameByteForByte) {
  const std::vector<std::uint8_t> frame = state_.frames.CopyBlock();
  Snapshot();
  const auto header = BuildBmpFileHeader(static_cast<DWORD>(frame.size() - sizeof(BITMAPINFOHEADER)));
  std::vector<std::uint8_t> expected(header.begin(), header.end());
  expected.insert(expected.end(), frame.begin(), frame.end());
  EXPECT_TRUE(ReadBytes(folder_ / "shot.bmp") == expected);
  EXPECT_TRUE(told_.empty());
}

TEST_F(BurnInTest, OnTheSnapshotHasTheScaleBarOfTheSavedPictureTheLinesAndTheTime) {
  state_.measuring.burnIn = true;
  const SavedPicture saved = Snapshot();
  ASSERT_TRUE(saved.Valid());
  // A quarter of 2592 pixels at 0.5 µm is 324 µm: the bar is 200 µm, 400 pixels of the saved
  // picture, however large the view was.
  const auto bar = display::ChooseScaleBar(kWidth, 1.0, 0.5);
  EXPECT_EQ(bar->label, L"200 \u00B5m");
  EXPECT_EQ(saved.LongestRunAtTheBottom(display::kScaleBarColour), bar->pixels);
  // The measured line along row 300, and no grid or crosshair (those are the view's).
  EXPECT_EQ(saved.Count({300, 300, 1100, 301}, display::kMeasureColour), 800);
  EXPECT_EQ(saved.Count({0, 0, kWidth, kHeight}, display::kGridColour), 0);
  EXPECT_EQ(saved.Count({0, 0, kWidth, kHeight}, display::kCrosshairColour), 0);
  // The time, in white, in the bottom-left corner.
  EXPECT_GT(saved.Count({0, kHeight - 120, 800, kHeight}, RGB(255, 255, 255)), 200);
}

TEST_F(BurnInTest, EachPictureOfASeriesIsBurnedInAtItsTime) {
  state_.measuring.burnIn = true;
  MakeController(SeriesChoices{folder_.wstring(), L"BMP", 500, 2, L"series"});
  ASSERT_TRUE(controller_->OnMenuCommand(kMenuCaptureSeries));
  ASSERT_TRUE(PumpUntil([&] { return Status() == SeriesEndText(SeriesEnd::Completed, 2, 0); }, 30000)) << Status();
  const int barPixels = display::ChooseScaleBar(kWidth, 1.0, 0.5)->pixels;
  for (const char* name : {"series_0001.bmp", "series_0002.bmp"}) {
    const SavedPicture saved(ReadBytes(folder_ / name));
    ASSERT_TRUE(saved.Valid()) << name;
    EXPECT_EQ(saved.LongestRunAtTheBottom(display::kScaleBarColour), barPixels) << name;
  }
}

}  // namespace
