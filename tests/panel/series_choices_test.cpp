// The series dialog's fields, checked, and the choices kept for the user between runs.
#include "panel/series_choices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "camera/registry_store.h"
#include "panel/series_choices_store.h"
#include "tests/support/private_registry.h"

namespace {

SeriesFields GoodFields() {
  return {std::filesystem::temp_directory_path().wstring(), L"PNG", L"0.5", L"100", false, L"shot"};
}

// The good fields with one change: refused?
bool Refused(void (*change)(SeriesFields&)) {
  SeriesFields fields = GoodFields();
  change(fields);
  return !CheckSeriesFields(fields).choices;
}

TEST(SeriesInterval, IsReadInSecondsAndWrittenBack) {
  EXPECT_EQ(ParseIntervalMs(L"0.5"), 500);
  EXPECT_EQ(ParseIntervalMs(L" 1,25 "), 1250);
  EXPECT_EQ(ParseIntervalMs(L"2"), 2000);
  EXPECT_EQ(ParseIntervalMs(L".75"), 750);
  for (const wchar_t* bad : {L"", L".", L"1.2345", L"-1", L"1e3", L"1.5s", L"999999"})
    EXPECT_EQ(ParseIntervalMs(bad), std::nullopt) << bad;
  EXPECT_EQ(FormatIntervalMs(500), L"0.5");
  EXPECT_EQ(FormatIntervalMs(2000), L"2");
  EXPECT_EQ(FormatIntervalMs(1250), L"1.25");
}

TEST(SeriesFieldsCheck, GivesTheChoicesOrWhatIsWrong) {
  const CheckedSeriesChoices good = CheckSeriesFields(GoodFields());
  ASSERT_TRUE(good.choices) << std::string(good.error.begin(), good.error.end());
  EXPECT_EQ(good.choices->intervalMs, 500);
  EXPECT_EQ(good.choices->count, 100);
  SeriesFields untilStopped = GoodFields();
  untilStopped.untilStopped = true;
  untilStopped.count = L"";
  EXPECT_EQ(CheckSeriesFields(untilStopped).choices->count, 0);

  EXPECT_TRUE(Refused([](SeriesFields& f) { f.interval = L"0.4"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.interval = L"86400.001"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.count = L"0"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.count = L"100000"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.extension = L"XYZ"; }));
  EXPECT_TRUE(Refused([](SeriesFields& f) { f.folder = L"C:\\no\\such\\folder"; }));
  for (const wchar_t* prefix : {L"", L"a/b", L"a:b", L"shot.", L"a?", L"tab\tname"}) {
    SeriesFields f = GoodFields();
    f.prefix = prefix;
    EXPECT_FALSE(CheckSeriesFields(f).choices) << prefix;
  }
}

TEST(SeriesFieldsCheck, RefusesAFolderWhereTheNamesWouldNotFit) {
  const auto deep = std::filesystem::temp_directory_path() / std::wstring(190, L'd');
  std::filesystem::create_directories(deep);
  SeriesFields fields = GoodFields();
  fields.folder = deep.wstring();
  fields.prefix = std::wstring(60, L'p');
  const CheckedSeriesChoices checked = CheckSeriesFields(fields);
  std::filesystem::remove(deep);
  EXPECT_FALSE(checked.choices);
  EXPECT_NE(checked.error.find(L"characters"), std::wstring::npos)
      << std::string(checked.error.begin(), checked.error.end());
}

TEST(SeriesChoicesStore, KeepsTheChoicesBesideTheCameraRecord) {
  testing_support::PrivateCurrentUser registry;
  ASSERT_TRUE(registry.Ok());
  EXPECT_EQ(LoadSeriesChoices().prefix, L"snapshot");  // nothing stored: the defaults
  const SeriesChoices stored{L"C:\\pics", L"GIF", 750, 0, L"night"};
  ASSERT_EQ(StoreSeriesChoices(stored), ERROR_SUCCESS);
  const SeriesChoices loaded = LoadSeriesChoices();
  EXPECT_EQ(loaded.folder, stored.folder);
  EXPECT_EQ(loaded.extension, L"GIF");
  EXPECT_EQ(loaded.intervalMs, 750);
  EXPECT_EQ(loaded.count, 0);
  EXPECT_EQ(loaded.prefix, L"night");
  // The camera's record is not touched, and values out of range give their defaults.
  EXPECT_EQ(ReadStoredRecord().result, ERROR_FILE_NOT_FOUND);
  const DWORD tooShort = 100;
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kSeriesIntervalValue, REG_DWORD, &tooShort, sizeof tooShort);
  WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, kSeriesFormatValue, REG_SZ, L"EXE", 8);
  EXPECT_EQ(LoadSeriesChoices().intervalMs, SeriesChoices{}.intervalMs);
  EXPECT_EQ(LoadSeriesChoices().extension, SeriesChoices{}.extension);
}

}  // namespace
