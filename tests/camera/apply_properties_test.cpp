// Which camera properties an apply writes, in which order, and what it stores.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "camera_test_support.h"

namespace {

class ApplyProperties : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    ASSERT_TRUE(camera->Open());
    q7sim::StartRecordingWrites();
  }
  // Applies and gives the writes it made.
  std::vector<std::string> Apply(const PropertyRecord& r, bool force = false) {
    q7sim::ClearRecordedWrites();
    camera->ApplyProperties(r, force);
    return WriteLog();
  }
  PropertyRecord Current() const { return camera->CurrentRecord(); }
};

using Log = std::vector<std::string>;
const Log kControllerSettings = {"ControllerSpeed=2", "ControllerDelay_Images=1", "DesiredAverageGreyValue=128",
                                 "AoiMode=0"};

Log Cat(std::initializer_list<Log> parts) {
  Log all;
  for (const Log& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST_F(ApplyProperties, ForcedApplyWritesEverythingInOrder) {
  PropertyRecord r = Current();
  r.resolutionIndex = 3;
  const Log expected =
      Cat({{"X=336", "Y=432", "W=1920", "H=1080", "ExposeLowerLimit_us=10", "ExposeUpperLimit_us=500000"},
           kControllerSettings,
           {"AutoExposeControl=0", "Expose_us=20000", "GainLowerLimit_dB=0", "GainUpperLimit_dB=32"},
           kControllerSettings,
           {"AutoGainControl=0", "Gain_dB=0", "TotalGain=1", "RedGain=1", "GreenGain=1", "BlueGain=1",
            "ColorProcessing=2", "MirrorOperationMode=0", "MirrorModeGlobal=3", "MirrorOperationMode=0",
            "MirrorModeGlobal=3", "GainOffsetKneeEnable=1", "GainOffsetKneeMasterOffset_pc=0"}});
  EXPECT_EQ(Apply(r, true), expected);
}

TEST_F(ApplyProperties, UnchangedRecordRewritesOnlyManualExposureAndGain) {
  DeleteSettingsKey();
  EXPECT_EQ(Apply(Current()), (Log{"Expose_us=20000", "Gain_dB=0"}));
  // The registry is written on every apply, also when nothing changed.
  DWORD type;
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(ReadStoredValue(L"Version", type, bytes));
  ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
  EXPECT_EQ(bytes.size(), 136u);
}

TEST_F(ApplyProperties, AutoExposureOnWritesTheControllerAndThenNoExposureTime) {
  PropertyRecord r = Current();
  r.autoExposure = 1;
  EXPECT_EQ(Apply(r), Cat({kControllerSettings, {"AutoExposeControl=1", "Gain_dB=0"}}));
  // With the automatic on, an unchanged exposure time is left to the camera...
  EXPECT_EQ(Apply(r), (Log{"Gain_dB=0"}));
  // ...and a changed one is still written.
  r.exposureTime = 30000;
  EXPECT_EQ(Apply(r), (Log{"Expose_us=30000", "Gain_dB=0"}));
  r.autoExposure = 0;
  EXPECT_EQ(Apply(r), Cat({kControllerSettings, {"AutoExposeControl=0", "Expose_us=30000", "Gain_dB=0"}}));
}

TEST_F(ApplyProperties, AutoGainOnAndOff) {
  PropertyRecord r = Current();
  r.autoGain = 1;
  EXPECT_EQ(Apply(r), Cat({{"Expose_us=20000"}, kControllerSettings, {"AutoGainControl=1"}}));
  r.autoExposure = 1;
  EXPECT_EQ(Apply(r), Cat({kControllerSettings, {"AutoExposeControl=1"}}));
  DeleteSettingsKey();
  EXPECT_EQ(Apply(r), Log{});  // both automatics on, nothing changed: the camera is left alone
  DWORD type;
  std::vector<std::uint8_t> bytes;
  EXPECT_TRUE(ReadStoredValue(L"Property", type, bytes));
  r.autoGain = 0;
  r.gain = 4.25;
  EXPECT_EQ(Apply(r), Cat({kControllerSettings, {"AutoGainControl=0", "Gain_dB=4.25"}}));
}

TEST_F(ApplyProperties, BothFlipsInOneCallEndAtTheNewRecordsValue) {
  PropertyRecord r = Current();
  r.flipVertical = 0;
  r.flipHorizontal = 0;
  EXPECT_EQ(Apply(r), (Log{"Expose_us=20000", "Gain_dB=0", "MirrorOperationMode=0", "MirrorModeGlobal=0",
                           "MirrorOperationMode=0", "MirrorModeGlobal=0"}));
  r.flipVertical = 1;
  EXPECT_EQ(Apply(r), (Log{"Expose_us=20000", "Gain_dB=0", "MirrorOperationMode=0", "MirrorModeGlobal=1"}));
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/ImageProcessing/Mirror/MirrorModeGlobal"), 1.0);
}

TEST_F(ApplyProperties, EachChangedFieldWritesItsProperty) {
  PropertyRecord r = Current();
  r.exposureLowerLimit = 1000;
  r.gainUpperLimit = 20.0;
  r.redGain = 1.5;
  r.mono = 1;
  r.gainOffset = 2.5;
  EXPECT_EQ(Apply(r),
            (Log{"ExposeLowerLimit_us=1000", "Expose_us=20000", "GainUpperLimit_dB=20", "Gain_dB=0", "RedGain=1.5",
                 "ColorProcessing=3", "GainOffsetKneeEnable=1", "GainOffsetKneeMasterOffset_pc=2.5"}));
  const PropertyRecord current = camera->CurrentRecord();
  EXPECT_EQ(0, std::memcmp(&current, &r, sizeof r));
  DWORD type;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
  EXPECT_EQ(0, std::memcmp(bytes.data(), &r, sizeof r));
}

TEST_F(ApplyProperties, WithoutADeviceNothingHappens) {
  camera->Close();
  DeleteSettingsKey();
  PropertyRecord r = Defaults();
  r.exposureTime = 1234;
  EXPECT_EQ(Apply(r, true), Log{});
  DWORD type;
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(ReadStoredValue(L"Property", type, bytes));
}

TEST_F(ApplyProperties, ResolutionChangeRefitsBothBuffersAndSameAgainDoesNothing) {
  PropertyRecord r = Current();
  r.resolutionIndex = 8;
  EXPECT_EQ(Apply(r), (Log{"X=784", "Y=588", "W=1024", "H=768", "Expose_us=20000", "Gain_dB=0"}));
  EXPECT_EQ(camera->Width(), 1024);
  EXPECT_EQ(camera->Height(), 768);
  EXPECT_EQ(state.frames.Size().width, 1024);
  EXPECT_EQ(state.frames.Size().height, 768);
  const std::uint64_t generation = state.frames.Generation();
  EXPECT_EQ(Apply(r), (Log{"Expose_us=20000", "Gain_dB=0"}));
  EXPECT_EQ(state.frames.Generation(), generation);  // not re-fitted
}

TEST_F(ApplyProperties, IndexOutsideTheTableKeepsTheCamerasResolution) {
  PropertyRecord r = Current();
  r.resolutionIndex = 12;
  EXPECT_EQ(Apply(r), (Log{"X=0", "Y=0", "W=2592", "H=1944", "Expose_us=20000", "Gain_dB=0"}));
  EXPECT_EQ(camera->CurrentRecord().resolutionIndex, 0);
  EXPECT_EQ(camera->Width(), 2592);
}

// A value the camera refuses is reported; the other properties are still written, and the
// stored record holds what the camera has, so the next start does not fail again.
TEST_F(ApplyProperties, RefusedValueIsReportedAndReplacedByTheCamerasValue) {
  PropertyRecord r = Current();
  r.gain = 40.0;  // beyond the sensor's 32 dB
  r.blueGain = 2.0;
  EXPECT_EQ(Apply(r), (Log{"Expose_us=20000", "BlueGain=2"}));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find(L"\"Gain_dB\" = 40"), std::wstring::npos) << messages[0].text.c_str();
  EXPECT_EQ(camera->CurrentRecord().gain, 0.0);
  EXPECT_EQ(camera->CurrentRecord().blueGain, 2.0);
  DWORD type;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
  PropertyRecord stored;
  std::memcpy(&stored, bytes.data(), sizeof stored);
  EXPECT_EQ(stored.gain, 0.0);

  camera->Close();
  messages.clear();
  ASSERT_TRUE(camera->Open());
  EXPECT_TRUE(messages.empty());
}

TEST_F(ApplyProperties, NotANumberCountsAsChangedAndIsRefused) {
  PropertyRecord r = Current();
  r.autoGain = 1;
  Apply(r);
  r.gain = std::nan("");
  messages.clear();
  const Log log = Apply(r);
  EXPECT_EQ(log, (Log{"Expose_us=20000"}));
  ASSERT_EQ(messages.size(), 1u);  // the write was tried and refused
  EXPECT_FALSE(std::isnan(camera->CurrentRecord().gain));
}

TEST_F(ApplyProperties, RejectedPropertyAtOpenIsReportedAndTheRestIsApplied) {
  camera->Close();
  SetSim("Q7SIM_REJECT_PROPERTY", "Gain_dB");
  PropertyRecord stored = Defaults();
  stored.gain = 5.0;
  stored.blueGain = 1.25;
  const DWORD version = 1;
  StoreValue(L"Version", REG_DWORD, &version, 4);
  StoreValue(L"Property", REG_BINARY, &stored, sizeof stored);
  messages.clear();
  q7sim::ClearRecordedWrites();
  ASSERT_TRUE(camera->Open());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find(L"\"Gain_dB\" = 5"), std::wstring::npos);
  const auto log = WriteLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "BlueGain=1.25"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "GainOffsetKneeMasterOffset_pc=0"), log.end());
  EXPECT_EQ(camera->CurrentRecord().gain, 0.0);
  EXPECT_EQ(camera->CurrentRecord().blueGain, 1.25);
}

// Gain_dB is rewritten on every apply while auto gain is off: a camera refusing it must not
// bring the box back after every change. Each property and value is told once per run, with
// what the camera kept.
TEST_F(ApplyProperties, ARefusalIsToldOncePerRunForEachValue) {
  camera->Close();
  SetSim("Q7SIM_REJECT_PROPERTY", "Gain_dB");
  PropertyRecord stored = Defaults();
  stored.gain = 5.0;
  StoreValue(L"Property", REG_BINARY, &stored, sizeof stored);
  messages.clear();
  ASSERT_TRUE(camera->Open());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text.rfind(L"The camera refused a gain of 5 dB.\n", 0), 0u) << "in the dialog's words first";
  EXPECT_NE(messages[0].text.find(L"\"Gain_dB\" = 5: the camera keeps 0"), std::wstring::npos)
      << messages[0].text.c_str();

  PropertyRecord r = Current();
  for (int i = 1; i <= 5; ++i) {
    r.exposureTime = 20000 + 1000 * i;
    r.blueGain = 1.0 + 0.1 * i;
    Apply(r);
  }
  EXPECT_EQ(messages.size(), 1u);
  // Opening again is the same run: the same value refused again is not told again.
  StoreValue(L"Property", REG_BINARY, &stored, sizeof stored);
  camera->Close();
  ASSERT_TRUE(camera->Open());
  EXPECT_EQ(messages.size(), 1u);
  // A value not asked for before is told, once.
  r = Current();
  r.gain = 7.0;
  Apply(r);
  Apply(r);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_NE(messages[1].text.find(L"\"Gain_dB\" = 7: the camera keeps 0"), std::wstring::npos);
  EXPECT_EQ(Current().gain, 0.0);
}

// "X" and "Y" are written before "W": when "W" is refused they get their previous values
// back, so the area of interest never lies off the sensor and the picture keeps coming.
TEST_F(ApplyProperties, RefusedWidthPutsThePreviousAreaBackAndFramesKeepComing) {
  camera->Close();
  SetSim("Q7SIM_REJECT_PROPERTY", "W");
  ASSERT_TRUE(camera->Open());
  EXPECT_TRUE(messages.empty());  // it refuses the width it already has: nothing to tell
  ASSERT_TRUE(camera->StartAcquisition());
  PropertyRecord r = Current();
  r.resolutionIndex = 9;
  Log areaWrites = Apply(r);
  std::erase_if(areaWrites, [](const std::string& w) { return !std::strchr("XYWH", w[0]) || w[1] != '='; });
  EXPECT_EQ(areaWrites, (Log{"X=976", "Y=732", "Y=0", "X=0"}));
  EXPECT_EQ(camera->Width(), 2592);
  EXPECT_EQ(camera->Height(), 1944);
  EXPECT_EQ(state.frames.Size().width, 2592);
  EXPECT_EQ(Current().resolutionIndex, 0);
  DWORD type;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
  EXPECT_EQ(bytes[12], 0);  // the resolution index stored
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find(L"\"W\" = 640: the camera keeps 2592"), std::wstring::npos);
  EXPECT_NE(messages[0].text.find(L"2592 \u00D7 1944"), std::wstring::npos) << messages[0].text.c_str();

  FrameExchange frame;
  frame.Refit(2592, 1944);
  bool grabbed = false;
  for (int i = 0; i < 5 && !grabbed; ++i) grabbed = camera->GrabFrame(frame);
  EXPECT_TRUE(grabbed);
  EXPECT_TRUE(camera->StopAcquisition());
}

}  // namespace
