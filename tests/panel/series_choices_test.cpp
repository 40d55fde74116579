// The series dialog's fields, checked, and the choices kept for the user between runs.
#include "panel/series_choices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "camera/registry_store.h"
#include "panel/series_choices_store.h"
#include "tests/support/private_registry.h"

namespace {

// Good fields with one change: refused?
bool Refused(void (*change)(SeriesFields&)) {
  SeriesFields fields{std::filesystem::temp_directory_path().wstring(), L"PNG", L"0.5", L"100", false, L"shot"};
  change(fields);
  return !CheckSeriesFields(fields).choices;
}

TEST(SeriesFieldsCheck, TakesSecondsAndCountsInRangeAndNamesThatFit) {
  EXPECT_EQ(ParseIntervalMs(L" 1,25 "), 1250);
  EXPECT_EQ(ParseIntervalMs(L".5"), 500);
  for (const wchar_t* bad : {L"", L".", L"1.2345", L"-1", L"1e3", L"999999"})
    EXPECT_EQ(ParseIntervalMs(bad), std::nullopt) << bad;
  EXPECT_EQ(FormatIntervalMs(1250), L"1.25");
  EXPECT_FALSE(Refused([](SeriesFields&) {}));
  EXPECT_FALSE(Refused([](SeriesFields& f) { f.untilStopped = true, f.count = L""; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.interval = L"0.4"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.count = L"0"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.extension = L"XYZ"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.folder = L"C:\\no\\such\\folder"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.prefix = L"a:b"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.prefix = L"shot."; }));  // Windows would drop the dot
}

TEST(SeriesFieldsCheck, ATimeLapseTakesAPlaybackRateAndMakesOneAviFile) {
  SeriesFields fields{
      std::filesystem::temp_directory_path().wstring(), L"PNG", L"2", L"", true, L"night", true, L"2,5"};
  const CheckedSeriesChoices checked = CheckSeriesFields(fields);
  ASSERT_TRUE(checked.choices) << std::string(checked.error.begin(), checked.error.end());
  EXPECT_EQ(checked.choices->playbackMilliFps, 2500);
  const SeriesPlan plan = PlanSeries(*checked.choices);
  EXPECT_TRUE(plan.timeLapse);
  EXPECT_EQ(plan.extension, L"avi");
  EXPECT_DOUBLE_EQ(plan.playbackFps, 2.5);
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.timeLapse = true, f.playbackRate = L"0.05"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.timeLapse = true, f.playbackRate = L"121"; }));
  EXPECT_FALSE(Refused([](SeriesFields& f) { f.playbackRate = L"nonsense"; })) << "not asked for";
}

TEST(SeriesChoicesStore, KeepsTheChoicesBesideTheCameraRecord) {
  testing_support::PrivateCurrentUser registry;
  ASSERT_TRUE(registry.Ok());
  EXPECT_EQ(LoadSeriesChoices().prefix, L"snapshot");  // nothing stored: the defaults
  ASSERT_EQ(StoreSeriesChoices({L"C:\\pics", L"GIF", 750, 0, L"night"}), ERROR_SUCCESS);
  const SeriesChoices loaded = LoadSeriesChoices();
  EXPECT_EQ(loaded.folder, L"C:\\pics");
  EXPECT_EQ(loaded.extension, L"GIF");
  EXPECT_EQ(loaded.intervalMs, 750);
  EXPECT_EQ(loaded.count, 0);
  EXPECT_EQ(loaded.prefix, L"night");
  EXPECT_EQ(ReadStoredRecord().result, ERROR_FILE_NOT_FOUND) << "the camera's record is not touched";
  const DWORD tooShort = 100;  // out of range: the default comes back
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kSeriesIntervalValue, REG_DWORD, &tooShort, sizeof tooShort);
  EXPECT_EQ(LoadSeriesChoices().intervalMs, SeriesChoices{}.intervalMs);
}

}  // namespace
