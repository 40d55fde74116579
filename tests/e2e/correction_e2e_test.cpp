// The picture correction in the running program: a dark frame taken through the right-button
// menu and its dialog on a capped lens, and what snapshots hold before and after.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "camera/sdk/sensor_image.h"
#include "imaging/bmp_file.h"
#include "imaging/correction_file.h"
#include "imaging/image_file.h"
#include "tests/e2e/viewer_fixture.h"

namespace {

namespace fs = std::filesystem;
using e2e::WaitUntil;
using namespace std::chrono_literals;

class ViewerCorrection : public e2e::Viewer {
 protected:
  void TearDown() override {
    e2e::Viewer::TearDown();
    std::error_code ignored;  // what is left is overwritten by the next run
    fs::remove_all(folder_, ignored);
    fs::remove(fs::path(q7::imaging::DefaultCorrectionFolder()) / "dark 2592x1944.q7corr", ignored);
  }
  // A BMP snapshot's pixels, rows top first.
  std::vector<std::uint8_t> Snapshot() {
    const fs::path target = folder_ / (std::to_wstring(++snapshots_) + L".bmp");
    SaveSnapshotAs(target.wstring());
    // Written under another name and renamed when whole.
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(target); }, 30s)) << session_->Status();
    q7::imaging::Image image;
    EXPECT_TRUE(SUCCEEDED(q7::imaging::LoadBmpFile(target.c_str(), image)));
    return image.bgr;
  }

  fs::path folder_ = fs::path(testing_support::ModuleFolder()) / L"correction-e2e";
  int snapshots_ = 0;
};

TEST_F(ViewerCorrection, ADarkFrameTakenThroughTheMenuAndItsDialogIsInTheSnapshots) {
  fs::remove_all(folder_);
  fs::create_directories(folder_);
  StartWithCamera({L"Q7SIM_SCENE=dark", L"Q7SIM_DARK_PATTERN=6"});
  StartPlaying();

  // What the camera delivers for a capped lens: its dark pattern, mirrored as by default.
  q7sim::ImageSettings sensor;
  sensor.width = q7sim::kSensorWidth, sensor.height = q7sim::kSensorHeight;
  sensor.flipHorizontal = sensor.flipVertical = true;
  std::vector<std::uint8_t> raw(3u * sensor.width * sensor.height, 0);
  q7sim::AddDarkPattern(sensor, 6, raw.data());
  EXPECT_TRUE(Snapshot() == raw) << "with the correction off, the camera's own bytes, as without it";

  // The right button on the panel's face, then the item's key and the dialog's Take.
  RECT panel{};
  ::GetWindowRect(session_->Panel(), &panel);
  ::SetCursorPos(panel.left + 250, panel.top + 140);
  e2e::RightClick();
  ASSERT_NE(session_->FindOtherWindow([](HWND w) { return testing_support::ClassName(w) == L"#32768"; }), nullptr);
  e2e::PressKey('D');
  HWND dialog = session_->FindOtherWindow([](HWND w) { return testing_support::WindowText(w) == L"Take dark frame"; });
  ASSERT_NE(dialog, nullptr) << "the menu did not open the dark frame's dialog";
  ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return session_->Status().starts_with(L"Dark frame taken"); }, 30s))
      << session_->Status();
  EXPECT_TRUE(fs::exists(fs::path(q7::imaging::DefaultCorrectionFolder()) / "dark 2592x1944.q7corr"));

  const auto corrected = Snapshot();
  EXPECT_TRUE(std::all_of(corrected.begin(), corrected.end(), [](std::uint8_t v) { return v == 0; }))
      << "the snapshot is the corrected frame: black";
}

}  // namespace
