// Opening the session: which camera, and what the user is told when there is none.
#include "camera_test_support.h"

namespace {

class CameraOpen : public CameraTest {};

TEST_F(CameraOpen, NoCameraSaysSo) {
  SetSim("Q7SIM_CAMERAS", "0");
  EXPECT_FALSE(camera->Open());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, L"Can't find camera.");
  EXPECT_FALSE(camera->IsOpen());
  EXPECT_FALSE(camera->StartAcquisition());
}

TEST_F(CameraOpen, FailedSdkInitialisationCountsAsNoCamera) {
  SetSim("Q7SIM_INIT_FAIL", "1");
  EXPECT_FALSE(camera->Open());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, L"Can't find camera.");
  EXPECT_FALSE(camera->IsOpen());
}

TEST_F(CameraOpen, FailedOpenSaysSoInAnErrorBox) {
  SetSim("Q7SIM_OPEN_FAIL", "1");
  EXPECT_FALSE(camera->Open());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, L"An error occurred while opening the device");
  EXPECT_EQ(messages[0].caption, L"Error");
  EXPECT_FALSE(camera->IsOpen());
  // Nothing was applied or stored.
  DWORD type;
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(ReadStoredValue(L"Property", type, bytes));
}

TEST_F(CameraOpen, OfTwoCamerasDeviceZeroIsUsed) {
  SetSim("Q7SIM_CAMERAS", "2");
  ASSERT_TRUE(camera->Open());
  EXPECT_TRUE(q7sim::IsDeviceOpen(0));
  EXPECT_FALSE(q7sim::IsDeviceOpen(1));
  camera->Close();
  EXPECT_FALSE(q7sim::IsDeviceOpen(0));
}

TEST_F(CameraOpen, OpenSetsTheFrameFormatBeforeTheSettings) {
  ASSERT_TRUE(camera->Open());
  const auto log = WriteLog();
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(
      std::vector<std::string>(log.begin(), log.begin() + 5),
      (std::vector<std::string>{"PixelFormat=10", "WhiteBalance=6", "GainOffsetKneeEnable=1", "LUTEnable=0", "X=0"}));
}

TEST_F(CameraOpen, OpeningAgainStartsAFreshSession) {
  ASSERT_TRUE(camera->Open());
  ASSERT_TRUE(camera->StartAcquisition());
  ASSERT_TRUE(camera->Open());
  EXPECT_FALSE(camera->IsAcquiring());
  EXPECT_TRUE(camera->StartAcquisition());
  EXPECT_TRUE(camera->StopAcquisition());
}

}  // namespace
