// The stand-in SDK seen through the SDK interface, as the camera layer sees it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "camera/sdk/acquire.h"
#include "camera/sdk/sensor_image.h"
#include "camera/sdk/simulated_device.h"
#include "camera/sdk/simulator_control.h"

namespace {

using namespace mvIMPACT::acquire;

class SimulatedCamera : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"Q7SIM_CAMERAS", "Q7SIM_INIT_FAIL", "Q7SIM_OPEN_FAIL", "Q7SIM_BAD_RESULT_EVERY", "Q7SIM_UNPLUG_AFTER",
          "Q7SIM_REPLUG_AFTER_MS", "Q7SIM_ARRIVE_AFTER_MS", "Q7SIM_REJECT_PROPERTY", "Q7SIM_SCENE", "Q7SIM_VIGNETTE",
          "Q7SIM_DARK_PATTERN", "Q7SIM_NOISE", "Q7SIM_UNPLUG_EVERY_MS"}) {
      ::SetEnvironmentVariableA(name, nullptr);
    }
    ::SetEnvironmentVariableA("Q7SIM_FPS", "60");
  }

  // Creates the manager and opens device 0.
  Device& OpenCamera() {
    manager_ = std::make_unique<DeviceManager>();
    Device* d = manager_->getDevice(0);
    d->open();
    return *d;
  }

  static Property Prop(Device& d, const char* list, const char* name) {
    ComponentList at = d.setting("Base");
    for (std::string path = list, rest; !path.empty(); path = rest) {
      const auto slash = path.find('/');
      rest = slash == std::string::npos ? "" : path.substr(slash + 1);
      at = at.list(path.substr(0, slash));
    }
    return at.property(name);
  }

  struct Frame {
    int result = -1;
    std::vector<std::uint8_t> pixels;
  };
  // Queues one request, waits for it, copies it and gives it back.
  static Frame Capture(FunctionInterface& fi) {
    Frame f;
    fi.imageRequestSingle(0);
    const int n = fi.imageRequestWaitFor(5000, 0);
    if (n < 0) return f;
    const Request* r = fi.getRequest(n);
    f.result = r->requestResult();
    if (f.result == kRequestOk) {
      const auto* p = static_cast<const std::uint8_t*>(r->imageData());
      f.pixels.assign(p, p + r->imageSize());
    }
    fi.imageRequestUnlock(n);
    return f;
  }

  // Polls until `done` holds; false after 20 s (a stalled machine, not a slow simulator).
  static bool Eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  static int OpenError(Device& d) {
    try {
      d.open();
    } catch (const ImpactAcquireException& e) {
      EXPECT_EQ(e.getOperation(), "Open device failed");
      return e.getErrorCode();
    }
    return 0;
  }

  static q7sim::ChannelMeans Means(const Frame& f, int width) {
    const int height = static_cast<int>(f.pixels.size() / (width * 3));
    return q7sim::MeasureMeans(f.pixels.data(), width, height, width * 3u, 8);
  }

  std::unique_ptr<DeviceManager> manager_;
};

TEST_F(SimulatedCamera, CameraCountFollowsTheEnvironment) {
  for (const char* count : {"0", "1", "2"}) {
    ::SetEnvironmentVariableA("Q7SIM_CAMERAS", count);
    DeviceManager manager;
    manager.updateDeviceList();
    EXPECT_EQ(manager.deviceCount(), static_cast<unsigned>(count[0] - '0'));
    EXPECT_EQ(manager.getDevice(manager.deviceCount()), nullptr);
  }
}

TEST_F(SimulatedCamera, FailingInitialisationAndOpenThrow) {
  ::SetEnvironmentVariableA("Q7SIM_INIT_FAIL", "1");
  try {
    DeviceManager manager;
    FAIL() << "no exception";
  } catch (const ImpactAcquireException& e) {
    EXPECT_EQ(e.getOperation(), "DMR_Init failed");
    EXPECT_EQ(e.getErrorCode(), kErrorInitFailed);
  }
  ::SetEnvironmentVariableA("Q7SIM_INIT_FAIL", nullptr);
  ::SetEnvironmentVariableA("Q7SIM_OPEN_FAIL", "1");
  DeviceManager manager;
  try {
    manager.getDevice(0)->open();
    FAIL() << "no exception";
  } catch (const ImpactAcquireException& e) {
    EXPECT_EQ(e.getOperation(), "Open device failed");
    EXPECT_EQ(e.getErrorCode(), kErrorOpenFailed);
  }
  EXPECT_FALSE(manager.getDevice(0)->isOpen());
}

TEST_F(SimulatedCamera, PropertiesRejectValuesOutsideTheirRanges) {
  Device& d = OpenCamera();
  const auto code = [](auto write) {
    try {
      write();
    } catch (const ImpactAcquireException& e) {
      return e.getErrorCode();
    }
    return 0;
  };
  Property gain = Prop(d, "Camera", "Gain_dB");
  EXPECT_EQ(code([&] { gain.write(12.5); }), 0);
  EXPECT_EQ(code([&] { gain.write(40.0); }), kErrorOutOfRange);
  EXPECT_EQ(code([&] { gain.write(std::nan("")); }), kErrorOutOfRange);
  EXPECT_EQ(code([&] { gain.write(3); }), kErrorWrongType);
  EXPECT_EQ(gain.readF(), 12.5);
  EXPECT_EQ(code([&] { Prop(d, "Camera", "Expose_us").write(0); }), kErrorOutOfRange);
  EXPECT_EQ(code([&] { Prop(d, "ImageProcessing", "ColorProcessing").write(7); }), kErrorOutOfRange);
  EXPECT_EQ(code([&] { Prop(d, "Camera/Aoi", "W").write(641); }), kErrorOutOfRange);  // rows must stay whole words
  EXPECT_EQ(code([&] { Prop(d, "Camera", "NoSuchThing"); }), kErrorNotFound);
  EXPECT_EQ(code([&] { d.setting("Base").list("Nowhere"); }), kErrorNotFound);
  d.close();
  EXPECT_EQ(code([&] { gain.write(1.0); }), kErrorNotOpen);
}

TEST_F(SimulatedCamera, NamedPropertyIsRejectedAndAcceptedWritesAreRecordedInOrder) {
  ::SetEnvironmentVariableA("Q7SIM_REJECT_PROPERTY", "Expose_us,RedGain");
  Device& d = OpenCamera();
  q7sim::StartRecordingWrites();
  Prop(d, "Camera", "Gain_dB").write(2.0);
  EXPECT_THROW(Prop(d, "Camera", "Expose_us").write(30000), ImpactAcquireException);
  EXPECT_THROW(Prop(d, "ImageProcessing/WhiteBalanceSettings-1", "RedGain").write(1.5), ImpactAcquireException);
  Prop(d, "Camera/Aoi", "X").write(976);
  const auto writes = q7sim::RecordedWrites();
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_EQ(writes[0].path, "Base/Camera/Gain_dB");
  EXPECT_EQ(writes[0].Value(), 2.0);
  EXPECT_EQ(writes[1].name, "X");
  EXPECT_EQ(writes[1].intValue, 976);
  q7sim::StopRecordingWrites();
}

TEST_F(SimulatedCamera, RequestQueueDeliversPackedBgrOfTheAreaOfInterest) {
  Device& d = OpenCamera();
  Prop(d, "ImageDestination", "PixelFormat").write(10);
  Prop(d, "Camera/Aoi", "X").write(784);
  Prop(d, "Camera/Aoi", "Y").write(588);
  Prop(d, "Camera/Aoi", "W").write(1024);
  Prop(d, "Camera/Aoi", "H").write(768);
  FunctionInterface fi(&d);
  EXPECT_EQ(fi.requestCount(), 4);
  const Frame f = Capture(fi);
  ASSERT_EQ(f.result, kRequestOk);
  ASSERT_EQ(f.pixels.size(), 1024u * 768u * 3u);
  // The top rows lie outside the moving parts: they are the chart's own pixels.
  const q7sim::Picture chart = q7sim::MakeTestChart(q7sim::kSensorWidth, q7sim::kSensorHeight);
  for (int row : {0, 5, 40}) {
    EXPECT_EQ(0,
              std::memcmp(&f.pixels[row * 1024 * 3], &chart.pixels[(588 + row) * chart.Stride() + 784 * 3], 1024 * 3))
        << "row " << row;
  }
}

TEST_F(SimulatedCamera, QueueRunsOutResetsAndDrains) {
  Device& d = OpenCamera();
  FunctionInterface fi(&d);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(fi.imageRequestSingle(0), 0);
  EXPECT_EQ(fi.imageRequestSingle(0), kErrorNoFreeRequest);
  const int n = fi.imageRequestWaitFor(5000, 0);
  ASSERT_GE(n, 0);
  EXPECT_EQ(fi.getRequest(n)->requestResult(), kRequestOk);
  // "RequestCount" cannot change while requests are in use.
  EXPECT_THROW(d.systemSettings().property("RequestCount").write(2), ImpactAcquireException);
  EXPECT_EQ(fi.imageRequestReset(0, 0), 0);
  int drained = 0;
  for (int m = fi.imageRequestWaitFor(0, 0); m >= 0; m = fi.imageRequestWaitFor(0, 0)) {
    EXPECT_NE(fi.getRequest(m)->requestResult(), kRequestError);
    EXPECT_EQ(fi.imageRequestUnlock(m), 0);
    ++drained;
  }
  EXPECT_GE(drained, 1);
  EXPECT_EQ(fi.imageRequestUnlock(n), 0);
  EXPECT_EQ(fi.imageRequestUnlock(n), kErrorInvalidRequest);
  EXPECT_EQ(fi.imageRequestWaitFor(50, 0), kErrorWaitTimeout);
  d.systemSettings().property("RequestCount").write(2);
  fi.updateRequests();
  EXPECT_EQ(fi.requestCount(), 2);
}

TEST_F(SimulatedCamera, AnAreaOffTheSensorGivesABadResult) {
  Device& d = OpenCamera();
  Prop(d, "Camera/Aoi", "X").write(976);  // width still 2592
  FunctionInterface fi(&d);
  EXPECT_EQ(Capture(fi).result, kRequestBadAoi);
  Prop(d, "Camera/Aoi", "W").write(640);
  EXPECT_EQ(Capture(fi).result, kRequestOk);
}

TEST_F(SimulatedCamera, ACappedLensShowsTheFixedDarkPatternAndNoiseMakesEveryFrameDiffer) {
  ::SetEnvironmentVariableA("Q7SIM_SCENE", "dark");
  ::SetEnvironmentVariableA("Q7SIM_DARK_PATTERN", "5");
  {
    Device& d = OpenCamera();
    FunctionInterface fi(&d);
    const Frame first = Capture(fi), second = Capture(fi);
    ASSERT_EQ(first.result, kRequestOk);
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_EQ(first.pixels[(100 * 2592 + 7) * 3 + 2], q7sim::DarkOffsetAt(5, 7, 100, 2));
    EXPECT_NEAR(Means(first, 2592).green, 5.0, 0.5);
  }
  ::SetEnvironmentVariableA("Q7SIM_NOISE", "3");
  Device& d = OpenCamera();
  FunctionInterface fi(&d);
  EXPECT_NE(Capture(fi).pixels, Capture(fi).pixels);
}

TEST_F(SimulatedCamera, BadResultsAndUnpluggingFollowTheEnvironment) {
  ::SetEnvironmentVariableA("Q7SIM_BAD_RESULT_EVERY", "3");
  ::SetEnvironmentVariableA("Q7SIM_UNPLUG_AFTER", "6");
  Device& d = OpenCamera();
  FunctionInterface fi(&d);
  std::vector<int> results;
  for (int i = 0; i < 6; ++i) results.push_back(Capture(fi).result);
  EXPECT_EQ(results, (std::vector<int>{0, 0, kRequestError, 0, 0, kRequestError}));
  fi.imageRequestSingle(0);
  EXPECT_EQ(fi.imageRequestWaitFor(300, 0), kErrorWaitTimeout);
  EXPECT_EQ(q7sim::FramesDelivered(0), 6u);
}

TEST_F(SimulatedCamera, ExposureGainAndOffsetChangeBrightness) {
  Device& d = OpenCamera();
  FunctionInterface fi(&d);
  const double base = Means(Capture(fi), 2592).Grey();
  Prop(d, "Camera", "Expose_us").write(10000);
  const double halfExposure = Means(Capture(fi), 2592).Grey();
  EXPECT_NEAR(halfExposure, base / 2, base * 0.05);
  Prop(d, "Camera", "Gain_dB").write(6.0206);
  EXPECT_NEAR(Means(Capture(fi), 2592).Grey(), base, base * 0.05);
  Prop(d, "ImageProcessing/GainOffsetKnee", "GainOffsetKneeEnable").write(1);
  Prop(d, "ImageProcessing/GainOffsetKnee", "GainOffsetKneeMasterOffset_pc").write(10.0);
  EXPECT_GT(Means(Capture(fi), 2592).Grey(), base + 15);
}

TEST_F(SimulatedCamera, AutoExposureConvergesWithinItsLimits) {
  Device& d = OpenCamera();
  Prop(d, "Camera/AutoControlParameters", "DesiredAverageGreyValue").write(128);
  Prop(d, "Camera/AutoControlParameters", "ControllerSpeed").write(2);
  Prop(d, "Camera", "AutoExposeControl").write(1);
  FunctionInterface fi(&d);
  Frame f;
  for (int i = 0; i < 25; ++i) f = Capture(fi);
  EXPECT_NEAR(Means(f, 2592).Grey(), 128.0, 6.0);
  EXPECT_GT(Prop(d, "Camera", "Expose_us").readI(), 20000);
  // A low upper limit stops the exposure there.
  Prop(d, "Camera/AutoControlParameters", "ExposeUpperLimit_us").write(15000);
  for (int i = 0; i < 10; ++i) f = Capture(fi);
  EXPECT_EQ(Prop(d, "Camera", "Expose_us").readI(), 15000);
  EXPECT_LT(Means(f, 2592).Grey(), 110.0);
  // Auto gain makes up the rest.
  Prop(d, "Camera", "AutoGainControl").write(1);
  for (int i = 0; i < 25; ++i) f = Capture(fi);
  EXPECT_NEAR(Means(f, 2592).Grey(), 128.0, 6.0);
  EXPECT_GT(Prop(d, "Camera", "Gain_dB").readF(), 0.5);
}

TEST_F(SimulatedCamera, WhiteBalanceTintsAndOnePushNeutralises) {
  Device& d = OpenCamera();
  Prop(d, "ImageProcessing", "WhiteBalance").write(6);
  FunctionInterface fi(&d);
  q7sim::ChannelMeans m = Means(Capture(fi), 2592);
  EXPECT_GT(m.red, m.blue * 1.3);  // the light is warm
  Prop(d, "ImageProcessing/WhiteBalanceSettings-1", "BlueGain").write(3.0);
  m = Means(Capture(fi), 2592);
  EXPECT_GT(m.blue, m.red);
  Prop(d, "ImageProcessing", "WhiteBalanceCalibration").write(1);
  Capture(fi);
  m = Means(Capture(fi), 2592);
  EXPECT_NEAR(m.red, m.green, 3.0);
  EXPECT_NEAR(m.blue, m.green, 3.0);
  EXPECT_LT(Prop(d, "ImageProcessing/WhiteBalanceSettings-1", "RedGain").readF(), 1.0);
  EXPECT_GT(Prop(d, "ImageProcessing/WhiteBalanceSettings-1", "BlueGain").readF(), 1.0);
  EXPECT_EQ(Prop(d, "ImageProcessing", "WhiteBalanceCalibration").readI(), 0);
}

TEST_F(SimulatedCamera, MonoAndMirroringTakeEffect) {
  Device& d = OpenCamera();
  FunctionInterface fi(&d);
  const Frame plain = Capture(fi);
  Prop(d, "ImageProcessing/Mirror", "MirrorModeGlobal").write(2);  // horizontal
  const Frame mirrored = Capture(fi);
  const int row = 20;  // in the colour bars, which do not move
  for (int x = 0; x < 2592; x += 97) {
    ASSERT_EQ(0, std::memcmp(&mirrored.pixels[(row * 2592 + x) * 3], &plain.pixels[(row * 2592 + 2591 - x) * 3], 3));
  }
  Prop(d, "ImageProcessing/Mirror", "MirrorModeGlobal").write(1);  // vertical
  const Frame flipped = Capture(fi);
  EXPECT_EQ(0, std::memcmp(&flipped.pixels[(1943 - row) * 2592 * 3], &plain.pixels[row * 2592 * 3], 2592 * 3));
  Prop(d, "ImageProcessing", "ColorProcessing").write(3);
  const Frame mono = Capture(fi);
  for (std::size_t i = 0; i < mono.pixels.size(); i += 3 * 1009) {
    ASSERT_EQ(mono.pixels[i], mono.pixels[i + 1]);
    ASSERT_EQ(mono.pixels[i], mono.pixels[i + 2]);
  }
}

// ---------------------------------------------------------------------------------------
// Cameras coming and going

TEST_F(SimulatedCamera, UnpluggedCameraStaysListedButAbsentAndCannotBeOpened) {
  ::SetEnvironmentVariableA("Q7SIM_UNPLUG_AFTER", "3");
  Device& d = OpenCamera();
  EXPECT_EQ(d.state(), dsPresent);
  FunctionInterface fi(&d);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Capture(fi).result, kRequestOk);
  // The cable came out with the third frame: whoever took it already sees it.
  EXPECT_EQ(d.state(), dsAbsent);
  fi.imageRequestSingle(0);
  EXPECT_EQ(fi.imageRequestWaitFor(300, 0), kErrorWaitTimeout);
  EXPECT_DOUBLE_EQ(Prop(d, "Camera", "Gain_dB").readF(), 0.0);
  manager_->updateDeviceList();
  EXPECT_EQ(manager_->deviceCount(), 1u);
  EXPECT_EQ(manager_->getDevice(0), &d);
  d.close();
  EXPECT_EQ(OpenError(d), kErrorNotPresent);
  EXPECT_FALSE(d.isOpen());
}

TEST_F(SimulatedCamera, ReplugPresentsTheCameraAgainAndOnlyANewSessionDelivers) {
  ::SetEnvironmentVariableA("Q7SIM_UNPLUG_AFTER", "2");
  ::SetEnvironmentVariableA("Q7SIM_REPLUG_AFTER_MS", "100");
  Device& d = OpenCamera();
  FunctionInterface old(&d);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(Capture(old).result, kRequestOk);
  ASSERT_TRUE(Eventually([&] { return d.state() == dsPresent; }));
  old.imageRequestSingle(0);
  EXPECT_EQ(old.imageRequestWaitFor(300, 0), kErrorWaitTimeout);

  d.close();
  EXPECT_EQ(OpenError(d), 0);
  FunctionInterface fi(&d);
  // Unplugged once only: the new session runs past the old count.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Capture(fi).result, kRequestOk) << "frame " << i;
  EXPECT_EQ(d.state(), dsPresent);
}

// Q7SIM_UNPLUG_EVERY_MS: out and back in, round after round. A session delivers until the
// unplug and never again, even once the camera is back; a session opened then delivers.
TEST_F(SimulatedCamera, RepeatedUnplugsTakeTheCameraAwayAndBringItBackEachRound) {
  ::SetEnvironmentVariableA("Q7SIM_UNPLUG_EVERY_MS", "1500");
  ::SetEnvironmentVariableA("Q7SIM_REPLUG_AFTER_MS", "300");
  Device& d = OpenCamera();
  for (int round = 0; round < 3; ++round) {
    FunctionInterface fi(&d);
    EXPECT_EQ(Capture(fi).result, kRequestOk) << "round " << round;
    ASSERT_TRUE(Eventually([&] { return d.state() == dsAbsent; })) << "round " << round;
    ASSERT_TRUE(Eventually([&] { return d.state() == dsPresent; })) << "round " << round;
    fi.imageRequestSingle(0);
    EXPECT_EQ(fi.imageRequestWaitFor(300, 0), kErrorWaitTimeout) << "round " << round;
    d.close();
    EXPECT_EQ(OpenError(d), 0) << "round " << round;
  }
}

// In for 1000 ms, out for 200 ms, from the first plug-in on.
TEST(RepeatedPlugPhase, CountsThePlugInsAndTellsWhetherTheCameraIsIn) {
  using mvIMPACT::acquire::detail::PlugPhase;
  using mvIMPACT::acquire::detail::RepeatedPlugPhase;
  EXPECT_EQ(RepeatedPlugPhase(0, 1000, 200), (PlugPhase{0, true}));
  EXPECT_EQ(RepeatedPlugPhase(999, 1000, 200), (PlugPhase{0, true}));
  EXPECT_EQ(RepeatedPlugPhase(1000, 1000, 200), (PlugPhase{0, false}));
  EXPECT_EQ(RepeatedPlugPhase(1199, 1000, 200), (PlugPhase{0, false}));
  EXPECT_EQ(RepeatedPlugPhase(1200, 1000, 200), (PlugPhase{1, true}));
  EXPECT_EQ(RepeatedPlugPhase(2200, 1000, 200), (PlugPhase{1, false}));
  EXPECT_EQ(RepeatedPlugPhase(12 * 1200 + 5, 1000, 200), (PlugPhase{12, true}));
  // Without a replug the first unplug is for good; without an unplug time, never out.
  EXPECT_EQ(RepeatedPlugPhase(999999, 1000, -1), (PlugPhase{0, false}));
  EXPECT_EQ(RepeatedPlugPhase(999999, -1, 200), (PlugPhase{0, true}));
}

TEST_F(SimulatedCamera, CameraPluggedInLaterIsListedByAnUpdateAfterItsTime) {
  ::SetEnvironmentVariableA("Q7SIM_ARRIVE_AFTER_MS", "3600000");
  {
    DeviceManager waiting;
    waiting.updateDeviceList();
    EXPECT_EQ(waiting.deviceCount(), 1u);  // the one there from the start
  }
  ::SetEnvironmentVariableA("Q7SIM_CAMERAS", "0");
  ::SetEnvironmentVariableA("Q7SIM_ARRIVE_AFTER_MS", "100");
  manager_ = std::make_unique<DeviceManager>();
  ASSERT_TRUE(Eventually([&] {
    manager_->updateDeviceList();
    return manager_->deviceCount() == 1;
  }));
  Device* d = manager_->getDevice(0);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->state(), dsPresent);
  d->open();
  FunctionInterface fi(d);
  EXPECT_EQ(Capture(fi).result, kRequestOk);
  manager_->updateDeviceList();
  EXPECT_EQ(manager_->deviceCount(), 1u);
  EXPECT_EQ(manager_->getDevice(0), d);
}

// The frame log names each good frame by the number its counter shows, with rising times,
// and is all written when the camera closes (bad frames are not logged).
TEST_F(SimulatedCamera, FrameLogListsEachGoodFrameWithItsCaptureTime) {
  wchar_t temp[MAX_PATH] = L"";
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"q7sim_frame_log_test.log";
  ::DeleteFileW(path.c_str());
  ::SetEnvironmentVariableW(L"Q7SIM_FRAME_LOG", path.c_str());
  ::SetEnvironmentVariableA("Q7SIM_BAD_RESULT_EVERY", "3");
  {
    Device& d = OpenCamera();
    FunctionInterface fi(&d);
    for (int i = 0; i < 6; ++i) Capture(fi);
    d.close();
  }
  ::SetEnvironmentVariableW(L"Q7SIM_FRAME_LOG", nullptr);
  std::FILE* file = _wfopen(path.c_str(), L"r");
  ASSERT_NE(file, nullptr);
  std::vector<unsigned long long> numbers, times;
  unsigned long long number = 0, time = 0;
  while (std::fscanf(file, "%llu %llu", &number, &time) == 2) numbers.push_back(number), times.push_back(time);
  std::fclose(file);
  ::DeleteFileW(path.c_str());
  EXPECT_EQ(numbers, (std::vector<unsigned long long>{0, 1, 3, 4}));  // frames 2 and 5 were bad
  EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
  EXPECT_GT(times.front(), 130000000000000000ull);  // a FILETIME of this century
}

}  // namespace
