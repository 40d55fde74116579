// Calibrations and the measuring choices in the current user's registry (a private copy of
// it): what is stored comes back in the next run, and damage costs only what is damaged.
#include "state/calibration_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/registry_value.h"
#include "state/settings_key.h"
#include "tests/support/private_registry.h"

namespace {

class StoredCalibrationsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry_.Ok()); }
  static void StoreText(const wchar_t* value, const std::wstring& text) {
    WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, value, REG_SZ, text.c_str(),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  testing_support::PrivateCurrentUser registry_;
};

TEST_F(StoredCalibrationsTest, WhatIsSavedIsThereInTheNextRun) {
  CalibrationSet set;
  set.items = {{L"4x", 0.55}, {L"10x", 0.22}};
  set.inUse = L"10x";
  CalibrationBook thisRun;
  SaveCalibrations(thisRun, set);
  EXPECT_EQ(thisRun.InUse()->name, L"10x");

  CalibrationBook nextRun;
  EXPECT_EQ(LoadCalibrations(nextRun), L"");
  EXPECT_EQ(nextRun.Get(), set);
  // Nothing stored at all is no calibration and nothing to say.
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  EXPECT_EQ(LoadCalibrations(nextRun), L"");
  EXPECT_TRUE(nextRun.Get().items.empty());
}

TEST_F(StoredCalibrationsTest, ADamagedEntryIsLeftOutWithOneMessageThatDoesNotComeBack) {
  StoreText(kCalibrationListValue, L"4x, 0.55\n10x, 0.2x2\n40x, 0.055\n");
  StoreText(kCalibrationInUseValue, L"10x");
  CalibrationBook book;
  const std::wstring message = LoadCalibrations(book);
  EXPECT_NE(message.find(L"line 2: \"0.2x2\" is not a number"), std::wstring::npos) << message;
  EXPECT_NE(message.find(L"the calibration in use, \"10x\", is not in the list"), std::wstring::npos) << message;
  ASSERT_EQ(book.Get().items.size(), 2u);
  EXPECT_FALSE(book.InUse());

  CalibrationBook nextRun;
  EXPECT_EQ(LoadCalibrations(nextRun), L"");
  EXPECT_EQ(nextRun.Get(), book.Get());
}

TEST_F(StoredCalibrationsTest, AValueThatIsNotTextGivesNoCalibrationsAndSaysSo) {
  const DWORD number = 7;
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kCalibrationListValue, REG_DWORD, &number, sizeof number);
  CalibrationBook book;
  const std::wstring message = LoadCalibrations(book);
  EXPECT_NE(message.find(L"\"CalibrationList\" is not text"), std::wstring::npos) << message;
  EXPECT_TRUE(book.Get().items.empty());
  EXPECT_EQ(LoadCalibrations(book), L"");
}

TEST_F(StoredCalibrationsTest, MeasuringChoicesAreKeptPerUser) {
  Measuring thisRun;
  EXPECT_TRUE(ToggleMeasureSwitch(thisRun, MeasureSwitch::Grid));
  EXPECT_TRUE(ToggleMeasureSwitch(thisRun, MeasureSwitch::BurnIn));
  EXPECT_TRUE(ToggleMeasureSwitch(thisRun, MeasureSwitch::ScaleBar));
  EXPECT_FALSE(ToggleMeasureSwitch(thisRun, MeasureSwitch::ScaleBar));
  Measuring nextRun;
  LoadMeasureSwitches(nextRun);
  EXPECT_TRUE(nextRun.grid && nextRun.burnIn);
  EXPECT_FALSE(nextRun.scaleBar || nextRun.crosshair || nextRun.measuringTool);
}

}  // namespace
