// The property dialog driven as a user would, through the messages its controls send, with
// the simulated camera behind it; every test checks the dialog, the camera and the registry.
#include "panel/property_dlg.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "camera/camera.h"
#include "camera/registry_store.h"
#include "camera/sdk/simulator_control.h"
#include "camera/settings_file.h"
#include "framework/win_app.h"
#include "resources/resource_ids.h"
#include "state/calibration_store.h"
#include "tests/support/private_registry.h"
#include "tests/support/program_driver.h"
#include "tests/support/settings_records.h"

namespace {

constexpr wchar_t kDialogTitle[] = L"TK Lumora-Q7 Property";

HMODULE ResourceLibrary() {
  static HMODULE library = ::LoadLibraryW(L"Q7Resource.dll");
  return library;
}

PropertyRecord RegistryRecord() {
  PropertyRecord r{};
  ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &r, sizeof r);
  return r;
}

void StoreRecord(const PropertyRecord& r) {
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &r.version, sizeof r.version);
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, &r, sizeof r);
}

using testing_support::DefaultRecord;
using testing_support::SameRecord;
using testing_support::UnusualRecord;

double CameraProperty(const std::string& path) { return q7sim::ReadProperty(0, "Base/" + path); }

int CountWrites(const std::string& name) {
  int n = 0;
  for (const q7sim::PropertyWrite& w : q7sim::RecordedWrites()) n += w.name == name;
  return n;
}

class PropertyDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(ResourceLibrary(), nullptr);
    AfxSetResourceHandle(ResourceLibrary());
    ASSERT_TRUE(registry_.Ok());
    ::SetEnvironmentVariableW(L"Q7SIM_FPS", L"30");
  }

  void TearDown() override {
    dialog_.reset();
    camera_.reset();
    q7sim::StopRecordingWrites();
    ::SetEnvironmentVariableW(L"Q7SIM_REJECT_PROPERTY", nullptr);
    ::SetEnvironmentVariableW(L"Q7SIM_FPS", nullptr);
    AfxSetResourceHandle(nullptr);
  }

  // Opens the camera on the stored record (the defaults when none is given).
  void OpenCamera(const PropertyRecord* stored = nullptr) {
    if (stored) StoreRecord(*stored);
    state_.resourceLibrary = ResourceLibrary();
    camera_ = std::make_unique<CCamera>(
        state_, [this](const std::wstring& text, const std::wstring&, UINT) { reports_.push_back(text); });
    ASSERT_TRUE(camera_->Open());
    opening_ = camera_->CurrentRecord();
    openingReports_ = std::move(reports_);
    reports_.clear();
    q7sim::StartRecordingWrites();
  }

  // The dialog as a modeless window, shown, on the camera's current record.
  void OpenDialog() {
    dialog_ = std::make_unique<CPropDlg>(*camera_, nullptr, &calibrations_);
    ASSERT_TRUE(dialog_->Create(IDD_PROPERTIES));
    dialog_->ShowWindow(SW_SHOW);
  }

  void WaitForFrames(std::uint64_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    const std::uint64_t start = q7sim::FramesDelivered(0);
    while (q7sim::FramesDelivered(0) < start + count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // One good frame of the camera's current size; empty when none comes.
  std::vector<std::uint8_t> GrabOneFrame() {
    FrameExchange frames;
    frames.Refit(camera_->Width(), camera_->Height());
    for (int i = 0; i < 5; ++i) {
      if (camera_->GrabFrame(frames)) {
        const FrameExchange::Lease frame = frames.Read();
        return {frame.Block().Pixels(), frame.Block().Pixels() + frame.Block().PixelBytes()};
      }
    }
    return {};
  }

  HWND Item(int id) const { return dialog_->GetDlgItem(id); }
  bool Checked(int id) const { return ::IsDlgButtonChecked(dialog_->m_hWnd, id) == BST_CHECKED; }
  bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
  std::wstring Text(int id) const {
    wchar_t text[64] = L"";
    ::GetWindowTextW(Item(id), text, 64);
    return text;
  }
  int SliderPos(int id) const { return static_cast<int>(::SendMessageW(Item(id), TBM_GETPOS, 0, 0)); }
  int SpinPos(int id) const { return static_cast<int>(::SendMessageW(Item(id), UDM_GETPOS32, 0, 0)); }

  void Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
  // The trackbar's own notification while the thumb is dragged to `position`.
  void Drag(int id, int position, int code = TB_THUMBTRACK) const {
    ::SendMessageW(Item(id), TBM_SETPOS, TRUE, position);
    dialog_->SendMessage(WM_HSCROLL, MAKEWPARAM(code, position & 0xFFFF), reinterpret_cast<LPARAM>(Item(id)));
  }
  // Types into an edit and leaves it for the OK button.
  void Type(int id, const wchar_t* text) const {
    ::SetFocus(Item(id));
    ::SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    ::SetFocus(Item(IDOK));
  }
  void PressArrow(int editId, WPARAM key) const {
    ::SetFocus(Item(editId));
    ::SendMessageW(Item(editId), WM_KEYDOWN, key, 1);
    ::SendMessageW(Item(editId), WM_KEYUP, key, 0xC0000001);
  }

  testing_support::PrivateCurrentUser registry_;
  AppState state_;
  std::unique_ptr<CCamera> camera_;
  CalibrationBook calibrations_;  // saved with the settings, and given a loaded file's
  std::unique_ptr<CPropDlg> dialog_;
  PropertyRecord opening_{};
  std::vector<std::wstring> openingReports_;  // what the camera told while it opened
  std::vector<std::wstring> reports_;
};

// ---------------------------------------------------------------------------------------
// Opening

TEST_F(PropertyDialog, OpensShowingTheStoredRecord) {
  const PropertyRecord stored = UnusualRecord();
  OpenCamera(&stored);
  OpenDialog();
  for (int radio : kResolutionRadioIds) EXPECT_EQ(Checked(radio), radio == IDC_RES_1920x1080) << radio;
  EXPECT_TRUE(Checked(IDC_AUTO_EXPOSURE));
  EXPECT_FALSE(Checked(IDC_AUTO_GAIN));
  EXPECT_TRUE(Checked(IDC_MONO_COLOR));
  EXPECT_FALSE(Checked(IDC_FLIP_VERTICAL));
  EXPECT_EQ(Text(IDC_EXPOSURE_MAX), L"300000");
  EXPECT_EQ(SpinPos(IDC_EXPOSURE_MAX_SPIN), 300000);
  EXPECT_EQ(Text(IDC_GAIN_MIN), L"2000");  // thousandths of a dB
  EXPECT_TRUE(Enabled(IDC_EXPOSURE_MIN_SPIN));
  EXPECT_FALSE(Enabled(IDC_EXPOSURE_SLIDER));
  EXPECT_FALSE(Enabled(IDC_GAIN_MAX));
  EXPECT_EQ(SliderPos(IDC_EXPOSURE_SLIDER), 30000);
  EXPECT_EQ(Text(IDC_EXPOSURE_VALUE), L"30000");
  EXPECT_EQ(SliderPos(IDC_GAIN_SLIDER), 5500);
  EXPECT_EQ(Text(IDC_GAIN_VALUE), L"5500");
  EXPECT_EQ(SliderPos(IDC_GREEN_GAIN_SLIDER), 750);
  EXPECT_EQ(Text(IDC_GREEN_GAIN_VALUE), L"0.750");
  EXPECT_EQ(SliderPos(IDC_GAIN_OFFSET_SLIDER), 8766);
  EXPECT_EQ(Text(IDC_GAIN_OFFSET_VALUE), L"-12.34");
  EXPECT_TRUE(SameRecord(dialog_->WorkingRecord(), stored));
}

// ---------------------------------------------------------------------------------------
// Each kind of control changes the record, the camera and the registry

TEST_F(PropertyDialog, ResolutionRadioRestartsTheCameraAtThatSize) {
  OpenCamera();
  OpenDialog();
  Click(IDC_RES_1024x768);
  EXPECT_EQ(dialog_->WorkingRecord().resolutionIndex, 8);
  EXPECT_EQ(camera_->Width(), 1024);
  EXPECT_EQ(camera_->Height(), 768);
  EXPECT_EQ(CameraProperty("Camera/Aoi/W"), 1024);
  EXPECT_EQ(CameraProperty("Camera/Aoi/X"), 784);
  EXPECT_EQ(RegistryRecord().resolutionIndex, 8);
  EXPECT_EQ(state_.frames.Size().width, 1024);
  // The same radio again restarts nothing.
  q7sim::ClearRecordedWrites();
  Click(IDC_RES_1024x768);
  EXPECT_EQ(CountWrites("W"), 0);
}

TEST_F(PropertyDialog, CheckBoxesSwitchTheirSettingAndTheControlsTheyGovern) {
  OpenCamera();
  OpenDialog();
  Click(IDC_MONO_COLOR);
  EXPECT_EQ(CameraProperty("ImageProcessing/ColorProcessing"), 3);
  EXPECT_EQ(RegistryRecord().mono, 1);
  Click(IDC_AUTO_EXPOSURE);
  EXPECT_EQ(CameraProperty("Camera/AutoExposeControl"), 1);
  EXPECT_EQ(RegistryRecord().autoExposure, 1);
  EXPECT_TRUE(Enabled(IDC_EXPOSURE_MIN));
  EXPECT_TRUE(Enabled(IDC_EXPOSURE_MAX_SPIN));
  EXPECT_FALSE(Enabled(IDC_EXPOSURE_SLIDER));
  EXPECT_FALSE(Enabled(IDC_EXPOSURE_VALUE));
  Click(IDC_AUTO_EXPOSURE);
  EXPECT_EQ(CameraProperty("Camera/AutoExposeControl"), 0);
  EXPECT_FALSE(Enabled(IDC_EXPOSURE_MIN));
  EXPECT_TRUE(Enabled(IDC_EXPOSURE_SLIDER));
}

TEST_F(PropertyDialog, SlidersSetTheirValueAndShowItBeside) {
  OpenCamera();
  OpenDialog();
  Drag(IDC_EXPOSURE_SLIDER, 400000);  // more than a scroll message's 16-bit position holds
  EXPECT_EQ(CameraProperty("Camera/Expose_us"), 400000);
  EXPECT_EQ(Text(IDC_EXPOSURE_VALUE), L"400000");
  EXPECT_EQ(RegistryRecord().exposureTime, 400000);

  Drag(IDC_RED_GAIN_SLIDER, 1234, TB_THUMBPOSITION);
  EXPECT_DOUBLE_EQ(CameraProperty("ImageProcessing/WhiteBalanceSettings-1/RedGain"), 1.234);
  EXPECT_EQ(Text(IDC_RED_GAIN_VALUE), L"1.234");
  EXPECT_DOUBLE_EQ(RegistryRecord().redGain, 1.234);

  Drag(IDC_GAIN_OFFSET_SLIDER, 10029);
  EXPECT_DOUBLE_EQ(CameraProperty("ImageProcessing/GainOffsetKnee/GainOffsetKneeMasterOffset_pc"), 0.29);
  EXPECT_EQ(Text(IDC_GAIN_OFFSET_VALUE), L"0.29");
  EXPECT_DOUBLE_EQ(RegistryRecord().gainOffset, 0.29);

  // Opened again, the dialog puts every slider where it was left.
  dialog_.reset();
  OpenDialog();
  EXPECT_EQ(SliderPos(IDC_GAIN_OFFSET_SLIDER), 10029);
  EXPECT_EQ(SliderPos(IDC_RED_GAIN_SLIDER), 1234);
}

// Every scroll notification that moves the value is applied, and only those: the trackbar's
// repeated and closing notifications write nothing more to the camera or the registry.
TEST_F(PropertyDialog, DraggingAppliesEachNewPositionOnce) {
  OpenCamera();
  OpenDialog();
  const int positions[] = {1000, 1010, 1010, 1030, 1030, 1030, 1100, 1250, 1250};
  for (int p : positions) Drag(IDC_BLUE_GAIN_SLIDER, p);
  Drag(IDC_BLUE_GAIN_SLIDER, 1250, TB_THUMBPOSITION);
  Drag(IDC_BLUE_GAIN_SLIDER, 1250, TB_ENDTRACK);
  EXPECT_EQ(CountWrites("BlueGain"), 4);   // 1010, 1030, 1100, 1250: 1000 was already there
  EXPECT_EQ(CountWrites("Expose_us"), 4);  // rewritten with each apply while auto exposure is off
  EXPECT_DOUBLE_EQ(RegistryRecord().blueGain, 1.25);
  EXPECT_EQ(Text(IDC_BLUE_GAIN_VALUE), L"1.250");
}

TEST_F(PropertyDialog, UpDownArrowsStepTheLimits) {
  const PropertyRecord stored = [] {
    PropertyRecord r = DefaultRecord();
    r.autoExposure = 1;
    r.autoGain = 1;
    r.exposureLowerLimit = 2000;
    return r;
  }();
  OpenCamera(&stored);
  OpenDialog();
  PressArrow(IDC_EXPOSURE_MIN, VK_UP);
  EXPECT_EQ(Text(IDC_EXPOSURE_MIN), L"2001");
  EXPECT_EQ(CameraProperty("Camera/AutoControlParameters/ExposeLowerLimit_us"), 2001);
  EXPECT_EQ(RegistryRecord().exposureLowerLimit, 2001);

  // The gain limits are whole dB, so a click moves them by one.
  PressArrow(IDC_GAIN_MIN, VK_UP);
  EXPECT_EQ(Text(IDC_GAIN_MIN), L"1000");
  EXPECT_DOUBLE_EQ(CameraProperty("Camera/AutoControlParameters/GainLowerLimit_dB"), 1.0);
  EXPECT_DOUBLE_EQ(RegistryRecord().gainLowerLimit, 1.0);
}

// ---------------------------------------------------------------------------------------
// Validation of the limits

TEST_F(PropertyDialog, Typing1500AsGainMinimumSetsOneDecibel) {
  OpenCamera();
  OpenDialog();
  Click(IDC_AUTO_GAIN);
  Type(IDC_GAIN_MIN, L"1500");
  EXPECT_DOUBLE_EQ(dialog_->WorkingRecord().gainLowerLimit, 1.0);
  EXPECT_DOUBLE_EQ(CameraProperty("Camera/AutoControlParameters/GainLowerLimit_dB"), 1.0);
  EXPECT_DOUBLE_EQ(RegistryRecord().gainLowerLimit, 1.0);
  EXPECT_EQ(Text(IDC_GAIN_MIN), L"1000");  // what the camera has, not what was typed
}

// The default lower limit, 10, lies below the up-down's range: the edit still shows 10,
// leaving the edit keeps it, and a typed value under 1000 is undone back to it.
TEST_F(PropertyDialog, ExposureMinimumUnder1000IsRejectedAndRestored) {
  OpenCamera();
  OpenDialog();
  Click(IDC_AUTO_EXPOSURE);
  EXPECT_EQ(Text(IDC_EXPOSURE_MIN), L"10");
  ::SetFocus(Item(IDC_EXPOSURE_MIN));
  ::SetFocus(Item(IDOK));
  EXPECT_EQ(Text(IDC_EXPOSURE_MIN), L"10");
  Type(IDC_EXPOSURE_MIN, L"999");
  EXPECT_EQ(Text(IDC_EXPOSURE_MIN), L"10");
  EXPECT_EQ(SpinPos(IDC_EXPOSURE_MIN_SPIN), 1000);  // the nearest it can show
  EXPECT_EQ(camera_->CurrentRecord().exposureLowerLimit, 10);
  EXPECT_EQ(RegistryRecord().exposureLowerLimit, 10);
  EXPECT_EQ(CountWrites("ExposeLowerLimit_us"), 0);
}

// ---------------------------------------------------------------------------------------
// Default, one push, and what the camera refuses

TEST_F(PropertyDialog, DefaultRestoresTheDefaultsAndTheControlsShowThem) {
  const PropertyRecord stored = [] {
    PropertyRecord r = UnusualRecord();
    r.autoGain = 1;
    return r;
  }();
  OpenCamera(&stored);
  OpenDialog();
  Click(IDC_DEFAULT);

  PropertyRecord expected = stored;
  SetDefaults(expected);
  EXPECT_TRUE(SameRecord(camera_->CurrentRecord(), expected));
  EXPECT_TRUE(SameRecord(RegistryRecord(), expected));
  EXPECT_EQ(camera_->Width(), 2592);
  EXPECT_EQ(CameraProperty("ImageProcessing/Mirror/MirrorModeGlobal"), 3);

  EXPECT_TRUE(Checked(IDC_RES_2592x1944));
  EXPECT_FALSE(Checked(IDC_RES_1920x1080));
  // Boxes that were checked are cleared, controls that were disabled are enabled again.
  EXPECT_FALSE(Checked(IDC_AUTO_EXPOSURE));
  EXPECT_FALSE(Checked(IDC_MONO_COLOR));
  EXPECT_TRUE(Checked(IDC_FLIP_VERTICAL));
  EXPECT_TRUE(Enabled(IDC_EXPOSURE_SLIDER));
  EXPECT_TRUE(Enabled(IDC_GAIN_SLIDER));
  EXPECT_FALSE(Enabled(IDC_GAIN_MAX_SPIN));
  EXPECT_EQ(Text(IDC_EXPOSURE_MIN), L"10");
  EXPECT_EQ(SliderPos(IDC_GAIN_OFFSET_SLIDER), 10000);
  EXPECT_EQ(Text(IDC_TOTAL_GAIN_VALUE), L"1.000");
}

TEST_F(PropertyDialog, OnePushWithAcquisitionStoppedChangesNothing) {
  OpenCamera();
  OpenDialog();
  Drag(IDC_RED_GAIN_SLIDER, 1500);
  const PropertyRecord before = camera_->CurrentRecord();
  Click(IDC_WHITE_BALANCE);  // waits for a frame that never comes
  EXPECT_TRUE(SameRecord(camera_->CurrentRecord(), before));
  EXPECT_TRUE(SameRecord(RegistryRecord(), before));
  EXPECT_EQ(SliderPos(IDC_RED_GAIN_SLIDER), 1500);
  EXPECT_EQ(Text(IDC_RED_GAIN_VALUE), L"1.500");
  EXPECT_EQ(SliderPos(IDC_BLUE_GAIN_SLIDER), 1000);
}

TEST_F(PropertyDialog, OnePushWhileAcquiringBalancesTheColoursAndTheSlidersFollow) {
  OpenCamera();
  OpenDialog();
  ASSERT_TRUE(camera_->StartAcquisition());
  WaitForFrames(2);
  Click(IDC_WHITE_BALANCE);
  camera_->StopAcquisition();

  const PropertyRecord& r = camera_->CurrentRecord();
  // The simulated sensor sees red too strong and blue too weak.
  EXPECT_LT(r.redGain, 0.95);
  EXPECT_GT(r.blueGain, 1.05);
  EXPECT_DOUBLE_EQ(r.blueGain, CameraProperty("ImageProcessing/WhiteBalanceSettings-1/BlueGain"));
  EXPECT_TRUE(SameRecord(RegistryRecord(), r));
  EXPECT_EQ(SliderPos(IDC_RED_GAIN_SLIDER), SliderPositionOf(r, IDC_RED_GAIN_SLIDER));
  EXPECT_EQ(SliderPos(IDC_BLUE_GAIN_SLIDER), SliderPositionOf(r, IDC_BLUE_GAIN_SLIDER));
  EXPECT_EQ(Text(IDC_BLUE_GAIN_VALUE), SliderValueText(r, IDC_BLUE_GAIN_SLIDER));
}

TEST_F(PropertyDialog, RefusedValueIsReportedAndTheControlShowsWhatTheCameraKept) {
  ::SetEnvironmentVariableW(L"Q7SIM_REJECT_PROPERTY", L"TotalGain");
  OpenCamera();
  OpenDialog();
  Drag(IDC_TOTAL_GAIN_SLIDER, 2500);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find(L"TotalGain"), std::wstring::npos);
  EXPECT_EQ(SliderPos(IDC_TOTAL_GAIN_SLIDER), 1000);
  EXPECT_EQ(Text(IDC_TOTAL_GAIN_VALUE), L"1.000");
  EXPECT_DOUBLE_EQ(dialog_->WorkingRecord().totalGain, 1.0);
  EXPECT_DOUBLE_EQ(RegistryRecord().totalGain, 1.0);
}

// Gain_dB is rewritten on every apply while auto gain is off: a camera refusing it is told
// about once, at start, and not again after every change in the dialog.
TEST_F(PropertyDialog, RefusedGainIsToldOnceAtStartAndNotAfterEachChange) {
  ::SetEnvironmentVariableW(L"Q7SIM_REJECT_PROPERTY", L"Gain_dB");
  PropertyRecord stored = DefaultRecord();
  stored.gain = 5.0;
  OpenCamera(&stored);
  ASSERT_EQ(openingReports_.size(), 1u);
  EXPECT_NE(openingReports_[0].find(L"\"Gain_dB\" = 5: the camera keeps 0"), std::wstring::npos);
  OpenDialog();
  EXPECT_EQ(SliderPos(IDC_GAIN_SLIDER), 0);  // what the camera kept
  Drag(IDC_BLUE_GAIN_SLIDER, 1100);
  Drag(IDC_BLUE_GAIN_SLIDER, 1200);
  Click(IDC_MONO_COLOR);
  Drag(IDC_EXPOSURE_SLIDER, 30000);
  Click(IDC_RES_1024x768);
  EXPECT_TRUE(reports_.empty());
  EXPECT_EQ(CameraProperty("Camera/Expose_us"), 30000);

  // A gain the user asks for is told once, and the slider goes back to what the camera has.
  Drag(IDC_GAIN_SLIDER, 7000);
  Drag(IDC_GAIN_SLIDER, 7000);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find(L"\"Gain_dB\" = 7: the camera keeps 0"), std::wstring::npos);
  EXPECT_EQ(SliderPos(IDC_GAIN_SLIDER), 0);
  EXPECT_EQ(Text(IDC_GAIN_VALUE), L"0");
}

// "X" and "Y" are written before "W": a camera refusing "W" keeps the whole previous area of
// interest, the picture keeps coming at that size, and the dialog shows it.
TEST_F(PropertyDialog, RefusedWidthKeepsThePreviousResolutionLive) {
  ::SetEnvironmentVariableW(L"Q7SIM_REJECT_PROPERTY", L"W");
  OpenCamera();
  ASSERT_TRUE(camera_->StartAcquisition());
  OpenDialog();
  Click(IDC_RES_640x480);
  EXPECT_TRUE(Checked(IDC_RES_2592x1944));
  EXPECT_FALSE(Checked(IDC_RES_640x480));
  EXPECT_EQ(dialog_->WorkingRecord().resolutionIndex, 0);
  EXPECT_EQ(RegistryRecord().resolutionIndex, 0);
  EXPECT_EQ(CameraProperty("Camera/Aoi/X"), 0);
  EXPECT_EQ(camera_->Width(), 2592);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find(L"previous area of interest is put back"), std::wstring::npos) << reports_[0].c_str();
  EXPECT_FALSE(GrabOneFrame().empty());
  camera_->StopAcquisition();
}

// ---------------------------------------------------------------------------------------
// Whatever is stored, the camera starts live and the dialog, the camera and the stored
// record agree

struct StoredValue {
  const char* what;
  std::vector<std::uint8_t> bytes;
  bool bright;  // a picture that must not be black
};

std::vector<std::uint8_t> BytesOf(const PropertyRecord& r, std::size_t length) {
  std::vector<std::uint8_t> bytes(length, 0x5A);
  std::memcpy(bytes.data(), &r, std::min(length, sizeof r));
  return bytes;
}

std::vector<StoredValue> FuzzedStoredValues() {
  const PropertyRecord unusual = UnusualRecord();
  std::vector<StoredValue> values;
  for (std::size_t length : {0, 1, 8, 135, 137}) values.push_back({"a prefix", BytesOf(unusual, length), true});
  PropertyRecord outOfRange = DefaultRecord();
  outOfRange.resolutionIndex = 42;
  outOfRange.autoGain = 7;
  outOfRange.exposureTime = -5;
  outOfRange.mono = 12345;
  outOfRange.flipVertical = 2;
  outOfRange.flipHorizontal = -1;
  outOfRange.exposureLowerLimit = 400000;
  outOfRange.exposureUpperLimit = 300000;
  values.push_back({"numbers out of range", BytesOf(outOfRange, sizeof outOfRange), true});
  PropertyRecord notNumbers = UnusualRecord();
  for (double* d : {&notNumbers.gainLowerLimit, &notNumbers.gainUpperLimit, &notNumbers.gain, &notNumbers.totalGain,
                    &notNumbers.redGain, &notNumbers.greenGain, &notNumbers.blueGain, &notNumbers.gainOffset})
    *d = std::numeric_limits<double>::quiet_NaN();
  values.push_back({"doubles not a number", BytesOf(notNumbers, sizeof notNumbers), true});
  std::mt19937 random(136);
  for (int i = 0; i < 4; ++i) {
    std::vector<std::uint8_t> bytes(sizeof(PropertyRecord));
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
    values.push_back({"random bytes", bytes, false});
  }
  return values;
}

TEST_F(PropertyDialog, AnyStoredRecordStartsLiveWithAConsistentDialog) {
  for (const StoredValue& value : FuzzedStoredValues()) {
    SCOPED_TRACE(std::string(value.what) + ", " + std::to_string(value.bytes.size()) + " bytes");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const DWORD version = 1;
    WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kVersionValue, REG_DWORD, &version, sizeof version);
    WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kPropertyValue, REG_BINARY, value.bytes.data(),
                       static_cast<DWORD>(value.bytes.size()));
    OpenCamera();
    ASSERT_TRUE(camera_->StartAcquisition());
    const std::vector<std::uint8_t> frame = GrabOneFrame();
    camera_->StopAcquisition();
    ASSERT_FALSE(frame.empty()) << "no picture";
    if (value.bright) {
      const double mean = std::accumulate(frame.begin(), frame.end(), 0.0) / static_cast<double>(frame.size());
      EXPECT_GT(mean, 16.0) << "a black picture";
    }

    OpenDialog();
    const PropertyRecord r = camera_->CurrentRecord();
    EXPECT_TRUE(SameRecord(dialog_->WorkingRecord(), r));
    EXPECT_TRUE(SameRecord(RegistryRecord(), r));
    ASSERT_GE(r.resolutionIndex, 0);
    ASSERT_LT(r.resolutionIndex, kResolutionCount);
    for (int i = 0; i < kResolutionCount; ++i) EXPECT_EQ(Checked(kResolutionRadioIds[i]), i == r.resolutionIndex);
    EXPECT_EQ(camera_->Width(), kResolutions[r.resolutionIndex].width);
    for (const CheckBoxControl& box : PropertyCheckBoxes()) {
      EXPECT_TRUE(r.*box.field == 0 || r.*box.field == 1) << box.id;
      EXPECT_EQ(Checked(box.id), r.*box.field == 1) << box.id;
    }
    EXPECT_EQ(CameraProperty("ImageProcessing/Mirror/MirrorModeGlobal"), r.flipVertical + 2 * r.flipHorizontal);
    EXPECT_EQ(CameraProperty("ImageProcessing/ColorProcessing"), r.mono ? 3 : 2);
    for (const SliderControl& slider : PropertySliders()) {
      const int position = SliderPositionOf(r, slider.sliderId);
      EXPECT_GE(position, slider.minPosition) << slider.sliderId;
      EXPECT_LE(position, slider.maxPosition) << slider.sliderId;
      EXPECT_EQ(SliderPos(slider.sliderId), position) << slider.sliderId;
    }
    dialog_.reset();
  }
}

// ---------------------------------------------------------------------------------------
// The modal dialog, driven step by step from a timer while its own loop runs: OK keeps,
// Cancel and Esc put back the opening record, Enter and Alt+F4 close nothing

// Runs steps from a thread timer while a modal loop of this thread runs: each tick asks
// `find` for the window the next step acts on (null: not there yet). A window found after
// the last step is cancelled, so a script that failed to close it cannot hang the test.
class TimerScript {
 public:
  using Step = std::function<void(HWND window)>;
  using Finder = std::function<HWND()>;
  TimerScript(Finder find, std::vector<Step> steps) : find_(std::move(find)), steps_(std::move(steps)) {
    current_ = this;
    timer_ = ::SetTimer(nullptr, 0, 20, &TimerScript::Tick);
  }
  ~TimerScript() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  TimerScript(const TimerScript&) = delete;
  TimerScript& operator=(const TimerScript&) = delete;
  std::size_t StepsRun() const { return next_; }

 private:
  // A timer message comes only when the queue is empty, so each step sees everything the
  // step before it posted already handled.
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TimerScript* self = current_;
    if (!self) return;
    HWND window = self->find_();
    if (!window) return;
    if (self->next_ < self->steps_.size()) {
      self->steps_[self->next_++](window);
    } else {
      ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }
  }

  static inline TimerScript* current_ = nullptr;
  Finder find_;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  UINT_PTR timer_ = 0;
};

// The modal property dialog, one step per tick.
class ModalScript : public TimerScript {
 public:
  explicit ModalScript(std::vector<Step> steps)
      : TimerScript(
            [] {
              HWND dialog = ::FindWindowW(L"#32770", kDialogTitle);
              return dialog && ::IsWindowVisible(dialog) ? dialog : nullptr;
            },
            std::move(steps)) {}
};

HWND ItemOf(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

TEST_F(PropertyDialog, EscapeAfterSeveralChangesReturnsTheCameraToTheOpeningRecord) {
  OpenCamera();
  ASSERT_TRUE(camera_->StartAcquisition());
  bool stillOpenAfterEnter = false;
  ModalScript script({
      [](HWND d) { ::SendMessageW(ItemOf(d, IDC_RES_640x480), BM_CLICK, 0, 0); },
      [](HWND d) { ::SendMessageW(ItemOf(d, IDC_MONO_COLOR), BM_CLICK, 0, 0); },
      [](HWND d) { ::SendMessageW(ItemOf(d, IDC_AUTO_EXPOSURE), BM_CLICK, 0, 0); },
      [](HWND d) {
        HWND slider = ItemOf(d, IDC_RED_GAIN_SLIDER);
        ::SendMessageW(slider, TBM_SETPOS, TRUE, 3000);
        ::SendMessageW(d, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 3000), reinterpret_cast<LPARAM>(slider));
      },
      [](HWND d) {
        // Typed and confirmed with Enter, which must not close the dialog.
        ::SetFocus(ItemOf(d, IDC_EXPOSURE_MAX));
        ::SendMessageW(ItemOf(d, IDC_EXPOSURE_MAX), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"123456"));
        ::PostMessageW(ItemOf(d, IDC_EXPOSURE_MAX), WM_KEYDOWN, VK_RETURN, 1);
      },
      [&](HWND) {
        stillOpenAfterEnter = true;
        EXPECT_EQ(camera_->CurrentRecord().exposureUpperLimit, 123456);
        EXPECT_EQ(camera_->Width(), 640);
        EXPECT_EQ(RegistryRecord().mono, 1);
      },
      [](HWND d) {
        // Typed but not confirmed: Esc must not apply it on the way out.
        ::SetFocus(ItemOf(d, IDC_EXPOSURE_MIN));
        ::SendMessageW(ItemOf(d, IDC_EXPOSURE_MIN), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3000"));
        ::PostMessageW(ItemOf(d, IDC_EXPOSURE_MIN), WM_KEYDOWN, VK_ESCAPE, 1);
      },
  });
  EXPECT_EQ(ShowPropertyDialog(*camera_), IDCANCEL);
  EXPECT_EQ(script.StepsRun(), 7u);
  EXPECT_TRUE(stillOpenAfterEnter);

  EXPECT_TRUE(SameRecord(camera_->CurrentRecord(), opening_));
  EXPECT_TRUE(SameRecord(RegistryRecord(), opening_));
  EXPECT_EQ(camera_->Width(), 2592);
  EXPECT_EQ(CameraProperty("Camera/Aoi/H"), 1944);
  EXPECT_EQ(CameraProperty("ImageProcessing/ColorProcessing"), 2);
  EXPECT_DOUBLE_EQ(CameraProperty("ImageProcessing/WhiteBalanceSettings-1/RedGain"), 1.0);
  EXPECT_EQ(CameraProperty("Camera/AutoControlParameters/ExposeLowerLimit_us"), 10);
  // Acquisition runs on at the opening size.
  EXPECT_TRUE(camera_->IsAcquiring());
  EXPECT_FALSE(GrabOneFrame().empty());
  camera_->StopAcquisition();
}

TEST_F(PropertyDialog, EnterAndAltF4LeaveTheModalDialogOpenAndOkKeeps) {
  OpenCamera();
  bool openAfterKeys = false;
  ModalScript script({
      [](HWND d) { ::SendMessageW(ItemOf(d, IDC_FLIP_HORIZONTAL), BM_CLICK, 0, 0); },
      [](HWND d) {
        ::SetFocus(ItemOf(d, IDOK));
        ::PostMessageW(ItemOf(d, IDOK), WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageW(ItemOf(d, IDOK), WM_SYSKEYDOWN, VK_F4, 0x20000001);  // with Alt held
        ::PostMessageW(d, WM_SYSKEYDOWN, VK_F4, 0x20000001);
      },
      [&](HWND d) { openAfterKeys = ::IsWindowVisible(d) != FALSE; },
      [](HWND d) { ::SendMessageW(ItemOf(d, IDOK), BM_CLICK, 0, 0); },
  });
  EXPECT_EQ(ShowPropertyDialog(*camera_), IDOK);
  EXPECT_TRUE(openAfterKeys);
  EXPECT_EQ(script.StepsRun(), 4u);
  EXPECT_EQ(camera_->CurrentRecord().flipHorizontal, 0);
  EXPECT_EQ(RegistryRecord().flipHorizontal, 0);
  EXPECT_EQ(CameraProperty("ImageProcessing/Mirror/MirrorModeGlobal"), 1);
}

// ---------------------------------------------------------------------------------------
// Settings files: Save... and Load..., through the real file dialog

// The dialogs the property dialog opens (the file dialog, then maybe a message box), one
// step for each in the order they appear.
class OwnedDialogScript : public TimerScript {
 public:
  OwnedDialogScript(HWND owner, std::vector<Step> steps)
      : TimerScript(
            [owner, last = HWND{}]() mutable {
              HWND next = NextOwnedDialog(owner, last);
              if (next) last = next;
              return next;
            },
            std::move(steps)) {}

 private:
  // A shown dialog of this thread owned by `owner`, other than the one handled before; null
  // when there is none (the one before may still be closing).
  static HWND NextOwnedDialog(HWND owner, HWND previous) {
    struct Search {
      HWND owner, previous, found;
    } search{owner, previous, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          if (w == s->previous || !::IsWindowVisible(w) || ::GetWindow(w, GW_OWNER) != s->owner ||
              testing_support::ClassName(w) != L"#32770")
            return TRUE;
          s->found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
};

// Types the name into the file dialog and confirms it, as a user would.
OwnedDialogScript::Step ChooseFile(const std::wstring& path) {
  return [path](HWND fileDialog) {
    HWND name = ::GetDlgItem(fileDialog, 1148);  // the file-name combo box
    if (HWND edit = name ? ::FindWindowExW(name, nullptr, L"Edit", nullptr) : nullptr) name = edit;
    if (!name) name = ::GetDlgItem(fileDialog, 1152);
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ::PostMessageW(fileDialog, WM_COMMAND, IDOK, 0);
  };
}

class SettingsFileButtons : public PropertyDialog {
 protected:
  void TearDown() override {
    PropertyDialog::TearDown();
    std::filesystem::remove(path_);
  }

  void WriteFile(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
  std::string ReadFile() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  const std::filesystem::path path_ =
      std::filesystem::temp_directory_path() / ("q7cam-test-" + std::to_string(::GetCurrentProcessId()) + ".q7cam");
};

// Saved, then Default, then loaded: the camera is back where it was, every setting written.
TEST_F(SettingsFileButtons, SavedSettingsLoadBackWithForce) {
  const PropertyRecord stored = UnusualRecord();
  OpenCamera(&stored);
  OpenDialog();
  // Named without its extension: the file dialog adds ".q7cam".
  std::wstring typed = path_.wstring();
  typed.resize(typed.size() - std::wstring(L".q7cam").size());
  {
    OwnedDialogScript script(dialog_->m_hWnd, {ChooseFile(typed)});
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(script.StepsRun(), 1u);
  }
  EXPECT_EQ(ParseSettingsFile(ReadFile(), DefaultRecord()).error, "");
  Click(IDC_DEFAULT);
  ASSERT_EQ(camera_->Width(), 2592);

  q7sim::ClearRecordedWrites();
  OwnedDialogScript script(dialog_->m_hWnd, {ChooseFile(path_.wstring())});
  Click(IDC_LOAD_SETTINGS);
  EXPECT_EQ(script.StepsRun(), 1u);
  EXPECT_TRUE(SameRecord(camera_->CurrentRecord(), stored));
  EXPECT_TRUE(SameRecord(RegistryRecord(), stored));
  EXPECT_TRUE(SameRecord(dialog_->WorkingRecord(), stored));
  EXPECT_EQ(camera_->Width(), 1920);
  EXPECT_EQ(CameraProperty("Camera/Aoi/H"), 1080);
  EXPECT_DOUBLE_EQ(CameraProperty("ImageProcessing/GainOffsetKnee/GainOffsetKneeMasterOffset_pc"), -12.34);
  // Forced: auto gain is off both in the file and in the camera, and is written all the same.
  EXPECT_EQ(CountWrites("AutoGainControl"), 1);
  EXPECT_TRUE(Checked(IDC_RES_1920x1080));
  EXPECT_FALSE(Checked(IDC_RES_2592x1944));
  EXPECT_TRUE(Checked(IDC_MONO_COLOR));
  EXPECT_EQ(Text(IDC_GAIN_OFFSET_VALUE), L"-12.34");
  EXPECT_FALSE(Enabled(IDC_EXPOSURE_SLIDER));
}

// The calibrations go into the file with the settings; loading it merges them into the user's.
TEST_F(SettingsFileButtons, CalibrationsTravelInTheFileAndMergeIntoTheUsersOwn) {
  OpenCamera();
  CalibrationSet saved;
  saved.items = {{L"4x", 0.55}, {L"10x", 0.22}};
  saved.inUse = L"10x";
  calibrations_.Set(saved);
  OpenDialog();
  {
    OwnedDialogScript script(dialog_->m_hWnd, {ChooseFile(path_.wstring())});
    Click(IDC_SAVE_SETTINGS);
    EXPECT_EQ(script.StepsRun(), 1u);
  }
  CalibrationSet other;
  other.items = {{L"10x", 0.3}, {L"20x", 0.11}};
  other.inUse = L"20x";
  calibrations_.Set(other);
  OwnedDialogScript script(dialog_->m_hWnd, {ChooseFile(path_.wstring())});
  Click(IDC_LOAD_SETTINGS);
  EXPECT_EQ(script.StepsRun(), 1u);
  const CalibrationSet merged = calibrations_.Get();
  EXPECT_EQ(merged.items, (std::vector<Calibration>{{L"10x", 0.22}, {L"20x", 0.11}, {L"4x", 0.55}}));
  EXPECT_EQ(merged.inUse, L"10x");
  EXPECT_EQ(ReadStoredCalibrations().set, merged);  // and kept for the next run
}

TEST_F(SettingsFileButtons, LoadOfABadFileNamesTheLineAndChangesNothing) {
  OpenCamera();
  OpenDialog();
  WriteFile("# Q7Viewer camera settings\r\nversion = 1\r\ngain_db = 6\r\nresolution = 1234 x 567\r\n");
  std::wstring message;
  HWND messageOwner = nullptr;
  OwnedDialogScript script(dialog_->m_hWnd, {ChooseFile(path_.wstring()), [&](HWND box) {
                                               message = testing_support::MessageBoxText(box);
                                               messageOwner = ::GetWindow(box, GW_OWNER);
                                               ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                                             }});
  Click(IDC_LOAD_SETTINGS);
  EXPECT_EQ(script.StepsRun(), 2u);
  EXPECT_NE(message.find(L"Line 4: the camera has no resolution 1234 x 567"), std::wstring::npos) << message;
  EXPECT_NE(message.find(L"Nothing was changed."), std::wstring::npos) << message;
  EXPECT_EQ(messageOwner, dialog_->m_hWnd);
  EXPECT_TRUE(q7sim::RecordedWrites().empty());
  EXPECT_TRUE(SameRecord(camera_->CurrentRecord(), opening_));
  EXPECT_TRUE(SameRecord(RegistryRecord(), opening_));
  EXPECT_TRUE(SameRecord(dialog_->WorkingRecord(), opening_));
  EXPECT_EQ(Text(IDC_GAIN_VALUE), L"0");
}

}  // namespace
