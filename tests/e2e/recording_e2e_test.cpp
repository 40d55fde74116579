// Recording in the running program, as a user does it: R in the video window while the
// simulated camera plays at 15 frames/s, R again, and the file read back by ffprobe and ffmpeg.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "framework/handles.h"
#include "panel/recording_choices.h"
#include "tests/e2e/viewer_fixture.h"
#include "tests/recording/avi_probe.h"

namespace {

namespace fs = std::filesystem;
using e2e::WaitUntil;
using namespace std::chrono_literals;

// "Recording 00:00:04 · 61 frames · 0 dropped · 123 MB": the frames and the dropped ones.
std::pair<std::uint64_t, std::uint64_t> CountsOf(const std::wstring& status) {
  unsigned long long frames = 0, dropped = 0;
  const std::size_t at = status.find(L" \u00B7 ");
  if (at != std::wstring::npos) {
    std::swscanf(status.c_str() + at, L" \u00B7 %llu frames \u00B7 %llu dropped", &frames, &dropped);
  }
  return {frames, dropped};
}

class ViewerRecording : public e2e::Viewer {
 protected:
  void SetUp() override {
    e2e::Viewer::SetUp();
    folder_ = L"Z:\\tmp\\q7_e2e_recording_" + std::to_wstring(::GetCurrentProcessId());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    ASSERT_EQ(StoreRecordingFolder(folder_), ERROR_SUCCESS);
  }
  void TearDown() override {
    e2e::Viewer::TearDown();
    fs::remove_all(folder_);
  }
  std::wstring folder_;
};

TEST_F(ViewerRecording, RInTheVideoWindowRecordsTheFramesAsStoredIntoAFileThatPlays) {
  StartWithCamera({L"Q7SIM_FPS=15"});
  StartPlaying();
  ::SetForegroundWindow(session_->Video());
  e2e::PressKey('R');
  ASSERT_TRUE(WaitUntil([&] { return session_->Status().starts_with(L"Recording 00:00:0"); })) << session_->Status();
  ASSERT_TRUE(WaitUntil([&] { return session_->Status().starts_with(L"Recording 00:00:04"); }, 20s))
      << session_->Status();
  const auto [frames, dropped] = CountsOf(session_->Status());
  ::SetForegroundWindow(session_->Video());
  e2e::PressKey('R');
  ASSERT_TRUE(WaitUntil([&] { return session_->Status().starts_with(L"Recording saved: Q7_"); })) << session_->Status();
  const std::wstring path = folder_ + L"\\" + session_->Status().substr(17);
  ASSERT_TRUE(fs::exists(path)) << fs::path(path).string();

  auto probe = testing_support::ProbeAvi(path);
  EXPECT_EQ(probe["codec_name"], "mjpeg");
  EXPECT_EQ(probe["width"], "2592");
  EXPECT_EQ(probe["height"], "1944");
  EXPECT_EQ(probe["decode_errors"], "0");
  const std::uint64_t pictures = std::stoull(probe["nb_read_frames"].empty() ? "0" : probe["nb_read_frames"]);
  const std::uint64_t counted = std::stoull(probe["nb_frames"].empty() ? "0" : probe["nb_frames"]);
  // At least what the status line counted four seconds in, at 15 frames/s with at most 1 % dropped.
  EXPECT_GE(pictures, frames);
  EXPECT_GE(pictures, 4u * 15 * 9 / 10);
  EXPECT_LE(dropped * 100, frames + dropped);
  EXPECT_LE((counted - pictures) * 100, counted) << "dropped frames in the file";
}

// As kill -9 would: the program ends at once, four seconds into a recording. The file plays,
// with at least what was recorded a second before.
TEST_F(ViewerRecording, AKilledProgramLeavesAFileThatPlaysUpToItsLastSecond) {
  StartWithCamera({L"Q7SIM_FPS=15"});
  StartPlaying();
  ::SetForegroundWindow(session_->Video());
  e2e::PressKey('R');
  ASSERT_TRUE(WaitUntil([&] { return session_->Status().starts_with(L"Recording 00:00:02"); }, 20s))
      << session_->Status();
  const std::uint64_t framesASecondBefore = CountsOf(session_->Status()).first;
  ASSERT_TRUE(WaitUntil([&] { return session_->Status().starts_with(L"Recording 00:00:04"); }, 20s))
      << session_->Status();
  const fw::UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, session_->Program().ProcessId()));
  ASSERT_TRUE(process && ::TerminateProcess(process.get(), 9));
  session_->Program().WaitForExit(10s);
  session_.reset();

  const std::vector<fs::path> files{fs::directory_iterator(folder_), {}};
  ASSERT_EQ(files.size(), 1u);
  auto probe = testing_support::ProbeAvi(files[0].wstring());
  EXPECT_EQ(probe["codec_name"], "mjpeg");
  EXPECT_EQ(probe["decode_errors"], "0");
  const std::uint64_t pictures = std::stoull(probe["nb_read_frames"].empty() ? "0" : probe["nb_read_frames"]);
  EXPECT_GE(pictures, framesASecondBefore);
  EXPECT_GE(pictures, 2u * 15 * 9 / 10);
}

}  // namespace
