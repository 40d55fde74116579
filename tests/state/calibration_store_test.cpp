// Calibrations and the measuring choices in the current user's registry (a private copy of
// it): what is stored comes back in the next run, and damage costs only what is damaged.
#include "state/calibration_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/registry_value.h"
#include "state/settings_key.h"
#include "tests/support/private_registry.h"

namespace {

void StoreText(const wchar_t* value, const std::wstring& text) {
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, value, REG_SZ, text.c_str(),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

TEST(StoredCalibrations, WhatIsSavedAndChosenIsThereInTheNextRun) {
  testing_support::PrivateCurrentUser registry;
  const CalibrationSet set{{{L"4x", 0.55}, {L"10x", 0.22}}, L"10x"};
  CalibrationBook thisRun, nextRun;
  SaveCalibrations(thisRun, set);
  Measuring choices, nextChoices;
  ToggleMeasureSwitch(choices, MeasureSwitch::Grid);
  ToggleMeasureSwitch(choices, MeasureSwitch::BurnIn);
  EXPECT_EQ(LoadCalibrations(nextRun), L"");
  EXPECT_EQ(nextRun.Get(), set);
  LoadMeasureSwitches(nextChoices);
  EXPECT_TRUE(nextChoices.grid && nextChoices.burnIn && !nextChoices.scaleBar);
}

// However many come in (a settings file merged, the dialog), the list stays one the next run
// reads back whole: past the most there may be, none is added.
TEST(StoredCalibrations, TheLongestListThereMayBeIsReadBackWhole) {
  testing_support::PrivateCurrentUser registry;
  CalibrationSet incoming;
  for (int i = 0; i < 250; ++i)
    incoming.items.push_back(
        {std::wstring(kMaxCalibrationNameLength - 4, L'x') + std::to_wstring(1000 + i), 123.456789});
  incoming.inUse = incoming.items.back().name;
  const CalibrationSet merged = MergeCalibrations({{{L"10x", 0.22}}, L"10x"}, incoming);
  ASSERT_EQ(merged.items.size(), kMaxCalibrations);
  EXPECT_EQ(merged.inUse, L"10x") << "the one in use did not come in";
  CalibrationSet full = merged;
  EXPECT_TRUE(AddCalibration(full, L"one more", 0.5));
  CalibrationBook thisRun, nextRun;
  SaveCalibrations(thisRun, merged);
  EXPECT_EQ(LoadCalibrations(nextRun), L"");
  EXPECT_EQ(nextRun.Get(), merged);
}

TEST(StoredCalibrations, DamageIsLeftOutWithOneMessageThatDoesNotComeBack) {
  testing_support::PrivateCurrentUser registry;
  StoreText(kCalibrationListValue, L"4x, 0.55\n10x, 0.2x2\n40x, 0.055\n");
  StoreText(kCalibrationInUseValue, L"10x");
  CalibrationBook book;
  const std::wstring message = LoadCalibrations(book);
  EXPECT_NE(message.find(L"line 2: \"0.2x2\" is not a number"), std::wstring::npos) << message;
  EXPECT_NE(message.find(L"the calibration in use, \"10x\", is not in the list"), std::wstring::npos) << message;
  EXPECT_EQ(book.Get().items.size(), 2u);
  EXPECT_EQ(LoadCalibrations(book), L"");

  const DWORD number = 7;  // not text at all
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kCalibrationListValue, REG_DWORD, &number, sizeof number);
  EXPECT_NE(LoadCalibrations(book).find(L"\"CalibrationList\" is not text"), std::wstring::npos);
  EXPECT_TRUE(book.Get().items.empty());
}

}  // namespace
