// The picture correction on the simulated sensor's faults, applied by the hand-off as frames
// flow: what a user gets from a flat field, a dark frame and averaging, and a take that the
// camera stops feeding.
#include <windows.h>

#include <cmath>
#include <filesystem>

#include "camera_test_support.h"
#include "imaging/frame_corrector.h"
#include "imaging/picture_measures.h"

namespace {

using namespace q7::imaging;

class CorrectedCamera : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() /
              ("q7-corrected-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount64()));
  }
  void TearDown() override {
    camera.reset();  // the hand-off ends before the corrector goes
    corrector_.reset();
    std::filesystem::remove_all(folder_);
    CameraTest::TearDown();
  }
  // Opens the camera at full resolution with a corrector and lets frames flow.
  void Play(std::chrono::milliseconds takeTimeout = std::chrono::seconds(20)) {
    corrector_ = std::make_unique<FrameCorrector>(FrameCorrector::Options{folder_.wstring(), L"", takeTimeout});
    camera = std::make_unique<CCamera>(
        state,
        [this](const std::wstring& text, const std::wstring& caption, UINT) {
          messages.push_back({text, caption});
        },
        corrector_.get());
    ASSERT_TRUE(camera->Open());
    ASSERT_TRUE(camera->StartCapture());
    WaitForFrames(2);
  }
  void WaitForFrames(std::uint64_t count) {
    const std::uint64_t start = state.frames.NewestNumber();
    ASSERT_TRUE(Eventually([&] { return state.frames.NewestNumber() >= start + count; })) << "frames stopped";
  }
  // The frame buffer's pixels, as a snapshot copies them.
  std::vector<std::uint8_t> Frame() const {
    const std::vector<std::uint8_t> block = state.frames.CopyBlock();
    return {block.begin() + sizeof(BITMAPINFOHEADER), block.end()};
  }
  static PictureMeasures Measure(const std::vector<std::uint8_t>& pixels) {
    return MeasurePicture(pixels.data(), kSensorWidth, kSensorHeight, 3 * kSensorWidth);
  }
  CorrectionReport Take(CorrectionKind kind) {
    EXPECT_TRUE(corrector_->Take(kind));
    EXPECT_TRUE(Eventually([&] { return !corrector_->Status().taking; })) << "the take never ended";
    corrector_->WaitUntilIdle();
    const auto reports = corrector_->TakeReports();
    EXPECT_FALSE(reports.empty());
    return reports.empty() ? CorrectionReport{} : reports.front();
  }

  std::filesystem::path folder_;
  std::unique_ptr<FrameCorrector> corrector_;
};

TEST_F(CorrectedCamera, AFlatFieldEvensOutAVignettedFlatSceneToWithinOnePercent) {
  SetSim("Q7SIM_SCENE", "flat");
  SetSim("Q7SIM_VIGNETTE", "0.4");
  Play();
  const PictureMeasures before = Measure(Frame());
  const CorrectionReport report = Take(CorrectionKind::Flat);
  EXPECT_EQ(report.kind, CorrectionReport::Kind::Taken) << report.text;
  WaitForFrames(2);
  const PictureMeasures after = Measure(Frame());
  std::printf("unevenness: %.2f %% uncorrected, %.3f %% corrected\n", 100 * before.unevenness, 100 * after.unevenness);
  EXPECT_GT(before.unevenness, 0.05);
  EXPECT_LT(after.unevenness, 0.01);
  EXPECT_NEAR(after.mean, before.mean, 1.0);  // evened out around its own mean
  EXPECT_TRUE(std::filesystem::exists(folder_ / "flat 2592x1944.q7corr"));
}

TEST_F(CorrectedCamera, ADarkFrameTakesACappedLensToBlackWithNoHotPixelLeft) {
  SetSim("Q7SIM_SCENE", "dark");
  SetSim("Q7SIM_DARK_PATTERN", "6");
  Play();
  const PictureMeasures before = Measure(Frame());
  EXPECT_GT(before.highest, 200);  // hot pixels
  EXPECT_EQ(Take(CorrectionKind::Dark).kind, CorrectionReport::Kind::Taken);
  WaitForFrames(2);
  const PictureMeasures after = Measure(Frame());
  EXPECT_LE(after.mean, 1.0);
  EXPECT_LE(after.highest, 4);

  // Mirrored the other way, the hot pixels move on the picture and the dark frame with them.
  PropertyRecord mirrored = camera->CurrentRecord();
  mirrored.flipHorizontal = !mirrored.flipHorizontal;
  mirrored.flipVertical = !mirrored.flipVertical;
  camera->ApplyProperties(mirrored, false);
  corrector_->WaitUntilIdle();
  WaitForFrames(2);
  EXPECT_LE(Measure(Frame()).highest, 4);
}

TEST_F(CorrectedCamera, AveragingSixteenFramesCutsTheNoiseOfAStillSceneThreefold) {
  SetSim("Q7SIM_SCENE", "flat");
  SetSim("Q7SIM_NOISE", "6");
  Play();
  // An even scene: the spread of each channel around its mean is the noise.
  const auto noise = [](const std::vector<std::uint8_t>& p) {
    double sum[3] = {}, squares[3] = {};
    for (std::size_t i = 0; i < p.size(); ++i) sum[i % 3] += p[i], squares[i % 3] += double(p[i]) * p[i];
    const double n = p.size() / 3.0;
    double variance = 0;
    for (int c = 0; c < 3; ++c) variance += squares[c] / n - (sum[c] / n) * (sum[c] / n);
    return std::sqrt(variance / 3);
  };
  const double raw = noise(Frame());
  corrector_->SetAveraging(16);
  WaitForFrames(40);
  const double averaged = noise(Frame());
  std::printf("noise: %.2f raw, %.2f averaged over 16 (%.1fx)\n", raw, averaged, raw / averaged);
  EXPECT_GT(raw, 5.0);
  EXPECT_GE(raw / averaged, 3.0);
  EXPECT_EQ(CorrectionInfoText(corrector_->Status()), L"avg 16");
}

// What a snapshot holds with the correction on and off: ViewerCorrection (end to end).

TEST_F(CorrectedCamera, TakingAFlatFieldWhileTheCameraIsUnpluggedEndsWithAMessage) {
  SetSim("Q7SIM_SCENE", "flat");
  SetSim("Q7SIM_UNPLUG_AFTER", "10");
  Play(std::chrono::milliseconds(1500));
  const CorrectionReport report = Take(CorrectionKind::Flat);
  EXPECT_EQ(report.kind, CorrectionReport::Kind::NotTaken);
  EXPECT_NE(report.text.find(L"no frames came from the camera"), std::wstring::npos) << report.text;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "flat 2592x1944.q7corr"));
}

}  // namespace
