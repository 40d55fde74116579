// The recorder with a frame exchange of its own, fed by the test as a camera would; every file
// is read back by ffprobe and ffmpeg.
#include "recording/recorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "camera/sdk/sensor_image.h"
#include "framework/handles.h"
#include "framework/system_message.h"
#include "recording/frame_slots.h"
#include "tests/recording/avi_probe.h"
#include "tests/recording/failing_disk.h"

namespace q7::recording {
namespace {

namespace fs = std::filesystem;
using testing_support::ProbeAvi;

class Recording : public ::testing::Test {
 protected:
  static constexpr int kWidth = 1280, kHeight = 960;

  void SetUp() override {
    // Under Z:\tmp, where the Linux readers find the files.
    folder_ = L"Z:\\tmp\\q7_recorder_" + std::to_wstring(::GetCurrentProcessId());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    exchange_.Refit(kWidth, kHeight);
    block_ = exchange_.EmptyBlock();
    std::uint32_t state = 1;
    for (std::size_t i = 0; i < block_->PixelBytes(); ++i) {
      state = state * 1664525u + 1013904223u;
      block_->Pixels()[i] = static_cast<std::uint8_t>(state >> 24);  // noise: a JPEG's slowest case
    }
    noise_.assign(block_->Pixels(), block_->Pixels() + block_->PixelBytes());
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    ticksPerFrame_ = frequency.QuadPart / 100;  // a 100 frames/s camera's capture times
    ended_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  }
  void TearDown() override {
    recorder_.reset();
    fs::remove_all(folder_);
  }

  void StartRecording(RecorderSettings settings) {
    settings.path = path_ = folder_ + L"\\rec.avi";
    settings.ended = [event = ended_.get()] { ::SetEvent(event); };
    recorder_ = std::make_unique<Recorder>(exchange_, std::move(settings));
    ASSERT_EQ(recorder_->Start(), S_OK);
  }
  // Frame `number`, captured at its time of a 100 frames/s camera.
  void Publish(std::uint64_t number) {
    std::memcpy(block_->Pixels(), noise_.data(), noise_.size());
    std::memcpy(block_->Pixels(), &number, sizeof number);
    ASSERT_TRUE(exchange_.Publish(block_, {number, static_cast<std::int64_t>(number) * ticksPerFrame_}));
  }
  // Waits for a state the recorder reaches by itself; the limit only keeps a fault from hanging.
  template <typename Reached>
  bool Eventually(Reached reached) {
    for (int i = 0; i < 4000 && !reached(); ++i) ::Sleep(5);
    return reached();
  }
  bool Ended() { return ::WaitForSingleObject(ended_.get(), 10000) == WAIT_OBJECT_0; }
  // The file read back: every picture decodes, and the header counts what the recorder wrote.
  void ExpectPlayable(const RecordingStatus& status) {
    auto probe = ProbeAvi(path_);
    EXPECT_EQ(probe["codec_name"], "mjpeg");
    EXPECT_EQ(probe["width"], std::to_string(kWidth));
    EXPECT_EQ(probe["nb_frames"], std::to_string(status.frames + status.dropped));
    EXPECT_EQ(probe["nb_read_frames"], std::to_string(status.frames));
    EXPECT_EQ(probe["decode_errors"], "0");
  }

  FrameExchange exchange_;
  std::unique_ptr<FrameBlock> block_;
  std::vector<std::uint8_t> noise_;
  std::int64_t ticksPerFrame_ = 1;
  std::wstring folder_, path_;
  fw::UniqueKernelHandle ended_;
  std::unique_ptr<Recorder> recorder_;  // after the exchange: gives its frames back first
};

TEST_F(Recording, ASensorFasterThanTheEncoderGivesCountedDropsNeverAGap) {
  RecorderSettings settings;
  settings.encoders = 1;
  StartRecording(settings);
  Publish(1);
  ASSERT_TRUE(Eventually([&] { return recorder_->Status().frames == 1; }));
  constexpr std::uint64_t kFrames = 150;
  for (std::uint64_t n = 2; n <= kFrames; ++n) {
    Publish(n);
    ::Sleep(1);  // far faster than one thread encodes 1280 x 960 of noise
  }
  // The last frame stays current until it is recorded, and with it the time up to it.
  ASSERT_TRUE(Eventually([&] {
    const RecordingStatus s = recorder_->Status();
    return s.frames + s.dropped == kFrames;
  }));
  recorder_->Stop();
  const RecordingStatus status = recorder_->Status();
  EXPECT_FALSE(status.recording);
  EXPECT_EQ(status.end, RecordingEnd::Stopped);
  EXPECT_EQ(status.frames + status.dropped, kFrames);
  EXPECT_GT(status.dropped, 0u);
  EXPECT_GE(status.frames, 2u);
  EXPECT_TRUE(RecordingEndText(status).empty()) << "the user stopped it";
  ExpectPlayable(status);
}

// What is recorded is what the camera stored: at the default quality a picture of the
// simulated camera's chart, thin coloured lines and all, decodes within 35 dB of the frame.
TEST_F(Recording, ADecodedPictureIsWithin35DecibelsOfTheFrameAsStored) {
  const q7sim::Picture chart = q7sim::MakeTestChart(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    std::memcpy(block_->Pixels() + y * block_->Stride(), chart.pixels.data() + y * chart.Stride(), chart.Stride());
  StartRecording({});
  ASSERT_TRUE(exchange_.Publish(block_, {1, 0}));
  ASSERT_TRUE(Eventually([&] { return recorder_->Status().frames == 1; }));
  recorder_->Stop();
  std::vector<std::uint8_t> decoded;
  ProbeAvi(path_, &decoded);
  ASSERT_EQ(decoded.size(), chart.pixels.size());
  double squares = 0;
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const double d = static_cast<double>(decoded[i]) - chart.pixels[i];
    squares += d * d;
  }
  const double psnr = 10.0 * std::log10(255.0 * 255.0 * static_cast<double>(decoded.size()) / squares);
  EXPECT_GE(psnr, 35.0);
}

TEST_F(Recording, AReFitEndsTheFileCleanlyAndSaysWhy) {
  StartRecording({});
  for (std::uint64_t n = 1; n <= 5; ++n) {
    Publish(n);
    ASSERT_TRUE(Eventually([&] { return recorder_->Status().frames == n; }));
  }
  exchange_.Refit(640, 480);
  ASSERT_TRUE(Ended());
  const RecordingStatus status = recorder_->Status();
  EXPECT_FALSE(status.recording);
  EXPECT_EQ(status.end, RecordingEnd::SizeChanged);
  EXPECT_EQ(status.frames, 5u);
  const std::wstring text = RecordingEndText(status);
  EXPECT_NE(text.find(L"the picture size changed"), std::wstring::npos) << text;
  EXPECT_NE(text.find(path_), std::wstring::npos) << text;
  ExpectPlayable(status);
}

TEST_F(Recording, ACameraThatGoesAwayEndsTheFileCleanly) {
  StartRecording({});
  Publish(1);
  ASSERT_TRUE(Eventually([&] { return recorder_->Status().frames == 1; }));
  exchange_.Free();
  ASSERT_TRUE(Ended());
  EXPECT_EQ(recorder_->Status().end, RecordingEnd::CameraGone);
  ExpectPlayable(recorder_->Status());
}

TEST_F(Recording, AFullDiskEndsTheRecordingWithTheReasonAndAPlayableFile) {
  RecorderSettings settings;
  settings.file.superIndexRoom = 64;
  settings.file.create = testing_support::FailingDisk(AviHeaderSize(64) + 3 * noise_.size() / 2, ERROR_DISK_FULL);
  StartRecording(settings);
  for (std::uint64_t n = 1; n < 1000 && ::WaitForSingleObject(ended_.get(), 0) != WAIT_OBJECT_0; ++n) {
    Publish(n);
    ::Sleep(20);
  }
  ASSERT_TRUE(Ended());
  const RecordingStatus status = recorder_->Status();
  EXPECT_EQ(status.end, RecordingEnd::WriteFailed);
  EXPECT_EQ(status.error, HRESULT_FROM_WIN32(ERROR_DISK_FULL));
  EXPECT_NE(RecordingEndText(status).find(SystemMessage(ERROR_DISK_FULL)), std::wstring::npos);
  EXPECT_GT(status.frames, 0u);
  ExpectPlayable(status);
}

// The user stops, and the index the closing writes does not fit: that is told, never "saved".
TEST_F(Recording, AWriteThatFailsAsTheStoppedFileIsClosedIsToldNotSaved) {
  RecorderSettings settings;
  settings.encode = [](const FrameBlock&, std::vector<std::uint8_t>& jpeg) {
    jpeg.assign(1000, 0x55);
    return S_OK;
  };
  settings.commitEvery = std::chrono::hours(1);
  settings.file.superIndexRoom = 64;
  settings.file.create =
      testing_support::FailingDisk(AviHeaderSize(64) + 2 * PaddedChunkSize(1000) + 10, ERROR_DISK_FULL);
  StartRecording(settings);
  for (std::uint64_t n = 1; n <= 2; ++n) {
    Publish(n);
    ASSERT_TRUE(Eventually([&] { return recorder_->Status().frames == n; }));
  }
  recorder_->Stop();
  const RecordingStatus status = recorder_->Status();
  EXPECT_EQ(status.end, RecordingEnd::WriteFailed);
  EXPECT_NE(RecordingEndText(status).find(SystemMessage(ERROR_DISK_FULL)), std::wstring::npos)
      << RecordingEndText(status);
}

TEST(RecordingStatusText, ReadsAsTheStatusLineShowsIt) {
  EXPECT_EQ(FormatRecordingStatus(83.6, 1234, 0, 812'400'000),
            L"Recording 00:01:23 \u00B7 1,234 frames \u00B7 0 dropped \u00B7 812 MB");
  EXPECT_EQ(FormatRecordingStatus(3725, 1'234'567, 12, 1'999'600'000),
            L"Recording 01:02:05 \u00B7 1,234,567 frames \u00B7 12 dropped \u00B7 2,000 MB");
}

TEST(RecordingFrameSlots, SkippedFramesTakeTheirTimeAndAPauseIsLeftOut) {
  FrameSlots slots(1000, 0);  // milliseconds
  EXPECT_EQ(slots.Place(7, 0), 0u);
  EXPECT_EQ(slots.Place(8, 100), 1u);  // the period: 100 ms
  EXPECT_EQ(slots.Place(11, 400), 4u) << "two frames missed";
  EXPECT_EQ(slots.Place(12, 560), 5u) << "late from the camera, not missed";
  EXPECT_EQ(slots.Place(14, 660), 7u) << "one missed, though the time since the late one is short";
  EXPECT_EQ(slots.Place(15, 5660), 8u) << "a camera that paused";
  EXPECT_NEAR(slots.FramesPerSecond(), 10.0, 0.6);
}

TEST(RecordingFrameSlots, ACameraSlowerThanItsSettingLosesNoTime) {
  FrameSlots slots(1000, 30);  // set to 30 frames/s, delivering 25
  std::uint64_t slot = 0;
  for (std::uint64_t n = 1; n <= 100; ++n) slot = slots.Place(n, static_cast<std::int64_t>(n) * 40);
  EXPECT_EQ(slot, 99u);
  EXPECT_NEAR(slots.FramesPerSecond(), 25.0, 0.01);
}

}  // namespace
}  // namespace q7::recording
