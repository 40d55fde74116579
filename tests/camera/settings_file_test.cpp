// The settings file format: what Save writes reads back as the same record, hand-written
// files are read as far as they go, and every bad line is refused with its number.
#include "camera/settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/settings_records.h"

namespace {

PropertyRecord Defaults() {
  PropertyRecord r{};
  SetDefaults(r);
  r.version = 1;
  return r;
}

// Every setting away from its default, with decimals that binary fractions cannot hold.
PropertyRecord Unusual() {
  PropertyRecord r = Defaults();
  r.resolutionIndex = 5;  // 1408 x 1048
  r.autoExposure = 1;
  r.exposureLowerLimit = 1234;
  r.exposureUpperLimit = 432100;
  r.exposureTime = 33333;
  r.autoGain = 1;
  r.gainLowerLimit = 0.1;
  r.gainUpperLimit = 31.999;
  r.gain = 1.0 / 3.0;
  r.totalGain = 3.7;
  r.redGain = 0.001;
  r.greenGain = 9.999;
  r.blueGain = 2.2;
  r.mono = 1;
  r.flipVertical = 0;
  r.flipHorizontal = 0;
  r.gainOffset = -12.34;
  return r;
}

using testing_support::SameRecord;

const std::string kStart = "# Q7Viewer camera settings\nversion = 1\n";

TEST(SettingsFile, WhatIsSavedLoadsBackAsTheSameRecord) {
  const PropertyRecord saved = Unusual();
  const SettingsFileResult loaded = ParseSettingsFile(FormatSettingsFile(saved), Defaults());
  ASSERT_TRUE(loaded.ok) << "line " << loaded.line << ": " << loaded.error;
  EXPECT_TRUE(SameRecord(loaded.record, saved));
  for (int index = 0; index < kResolutionCount; ++index) {
    PropertyRecord r = Defaults();
    r.resolutionIndex = index;
    EXPECT_EQ(ParseSettingsFile(FormatSettingsFile(r), Unusual()).record.resolutionIndex, index);
  }
}

TEST(SettingsFile, SavedFileNamesEachSettingOnItsOwnLine) {
  const std::string text = FormatSettingsFile(Unusual());
  EXPECT_EQ(text.rfind("# Q7Viewer camera settings\r\nversion = 2\r\nresolution = 1408 x 1048\r\n", 0), 0u) << text;
  for (const char* line : {"\nauto_exposure = on\r\n", "\nexposure_time_us = 33333\r\n", "\nflip_vertical = off\r\n",
                           "\ngain_offset_percent = -12.34\r\n", "\ngreen_gain = 9.999\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
  }
}

// Settings the file leaves out keep the base record's values; spacing, comments, line ends,
// a byte-order mark and the ways of writing a size and a switch are the writer's choice.
TEST(SettingsFile, HandWrittenFileChangesOnlyWhatItNames) {
  const std::string text =
      "\xEF\xBB\xBF# Q7Viewer camera settings\r\n"
      "\n"
      "# brighter, for the dark lab\n"
      "  version=1\n"
      "gain_db =   6.5   \r\n"
      "mono = ON\n"
      "resolution = 640\xC3\x97"
      "480";
  const PropertyRecord base = Unusual();
  const SettingsFileResult loaded = ParseSettingsFile(text, base);
  ASSERT_TRUE(loaded.ok) << "line " << loaded.line << ": " << loaded.error;
  PropertyRecord expected = base;
  expected.gain = 6.5;
  expected.mono = 1;
  expected.resolutionIndex = 9;
  EXPECT_TRUE(SameRecord(loaded.record, expected));
  EXPECT_EQ(ParseSettingsFile(kStart + "resolution = 1920X1080", base).record.resolutionIndex, 3);
  EXPECT_EQ(ParseSettingsFile(kStart + "flip_vertical = 1", Defaults()).record.flipVertical, 1);
  EXPECT_EQ(ParseSettingsFile(kStart + "gain_offset_percent = +2.5", Defaults()).record.gainOffset, 2.5);
}

TEST(SettingsFile, CalibrationsTravelWithTheSettingsAndAnOlderFileHasNone) {
  CalibrationSet calibrations;
  calibrations.items = {{L"4x", 0.55}, {L"10x \u00D6l", 1.0 / 3.0}};  // a name beyond ASCII
  calibrations.inUse = L"10x \u00D6l";
  const std::string text = FormatSettingsFile(Unusual(), calibrations);
  EXPECT_NE(text.find("\r\ncalibration = 4x, 0.55\r\n"), std::string::npos) << text;
  const SettingsFileResult loaded = ParseSettingsFile(text, Defaults());
  ASSERT_TRUE(loaded.ok) << "line " << loaded.line << ": " << loaded.error;
  EXPECT_TRUE(SameRecord(loaded.record, Unusual()));
  ASSERT_TRUE(loaded.calibrations);
  EXPECT_EQ(*loaded.calibrations, calibrations);

  const SettingsFileResult older = ParseSettingsFile(kStart + "gain_db = 2\n", Defaults());
  ASSERT_TRUE(older.ok);
  EXPECT_FALSE(older.calibrations);
  EXPECT_FALSE(ParseSettingsFile(FormatSettingsFile(Unusual()), Defaults()).calibrations);
}

struct BadFile {
  const char* name;
  std::string text;
  int line;
  const char* says;  // part of the message
};

void PrintTo(const BadFile& bad, std::ostream* os) { *os << bad.name; }

class SettingsFileRefuses : public ::testing::TestWithParam<BadFile> {};

TEST_P(SettingsFileRefuses, TheFileNamingTheLineAtFault) {
  const BadFile& bad = GetParam();
  const SettingsFileResult loaded = ParseSettingsFile(bad.text, Defaults());
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.line, bad.line);
  EXPECT_NE(loaded.error.find(bad.says), std::string::npos) << loaded.error;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfBadLine, SettingsFileRefuses,
    ::testing::Values(
        BadFile{"Empty", "", 1, "not a Q7Viewer camera settings file"},
        BadFile{"OtherFile", "[camera]\nversion = 1\n", 1, "the first line must be \"# Q7Viewer camera settings\""},
        BadFile{"NoVersion", "# Q7Viewer camera settings\n\n", 2, "ends before its version"},
        BadFile{"VersionNotFirst", "# Q7Viewer camera settings\ngain_db = 1\nversion = 1\n", 2,
                "the first setting must be the version"},
        BadFile{"NewerVersion", "# Q7Viewer camera settings\nversion = 3\ngain_db = 1\n", 2,
                "version 3, written by a newer Q7Viewer"},
        BadFile{"BadVersion", "# Q7Viewer camera settings\nversion = one\n", 2, "\"version\" must be a whole number"},
        BadFile{"UnknownSetting", kStart + "gain_db = 1\ncolour = red\n", 4, "unknown setting \"colour\""},
        BadFile{"NoEqualsSign", kStart + "\ngain_db 5\n", 4, "expected name = value, not \"gain_db 5\""},
        BadFile{"SetTwice", kStart + "mono = on\n# again\nmono = off\n", 5, "\"mono\" is set twice (first on line 3)"},
        BadFile{"VersionTwice", kStart + "version = 1\n", 3, "\"version\" is set twice"},
        BadFile{"WholeNumberTooLarge", kStart + "exposure_time_us = 500001\n", 3,
                "\"exposure_time_us\" must be a whole number from 1000 to 500000, not \"500001\""},
        BadFile{"WholeNumberWithDecimals", kStart + "exposure_lower_limit_us = 20.5\n", 3,
                "must be a whole number from 10 to 500000"},
        BadFile{"NumberTooLarge", kStart + "gain_db = 32.001\n", 3,
                "\"gain_db\" must be a number from 0 to 32, not \"32.001\""},
        BadFile{"NegativeGain", kStart + "red_gain = -0.5\n", 3, "\"red_gain\" must be a number from 0 to 10"},
        BadFile{"NotANumber", kStart + "total_gain = nan\n", 3, "\"total_gain\" must be a number from 0 to 4"},
        BadFile{"WhiteBalanceBelowItsStep", kStart + "blue_gain = 0.0001\n", 3,
                "\"blue_gain\" must be a number from 0 to 10 (0 or at least 0.001), not \"0.0001\""},
        BadFile{"DecimalComma", kStart + "gain_offset_percent = 1,5\n", 3, "must be a number from -100 to 100"},
        BadFile{"BadSwitch", kStart + "auto_gain = maybe\n", 3, "\"auto_gain\" must be on or off, not \"maybe\""},
        BadFile{"UnknownResolution", kStart + "resolution = 1234 x 567\n", 3,
                "the camera has no resolution 1234 x 567; it offers 2592 x 1944, 2320 x 1744"},
        BadFile{"ResolutionAsIndex", kStart + "resolution = 3\n", 3, "\"resolution\" must be width x height"},
        BadFile{"CrossedExposureLimits", kStart + "exposure_upper_limit_us = 500\n\nexposure_lower_limit_us = 600\n", 5,
                "\"exposure_lower_limit_us\" (600) is above \"exposure_upper_limit_us\" (500)"},
        BadFile{"GainLimitBelowTheBaseLower", kStart + "gain_lower_limit_db = 10\ngain_upper_limit_db = 5\n", 4,
                "\"gain_lower_limit_db\" (10) is above \"gain_upper_limit_db\" (5)"},
        BadFile{"CalibrationWithoutSize", kStart + "calibration = 10x\n", 3, "\"calibration\": \"10x\" is not a name"},
        BadFile{"CalibrationTwice", kStart + "calibration = 10x, 0.2\ncalibration = 10X, 0.3\n", 4,
                "a second calibration called \"10X\" (first on line 3)"},
        BadFile{"CalibrationInUseNotListed", kStart + "calibration = 4x, 0.5\ncalibration_in_use = 40x\n", 4,
                "the calibration in use, \"40x\", is not listed"},
        BadFile{"LongValueIsCutShort", kStart + "mono = " + std::string(100, 'y') + "\n", 3,
                "not \"yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy...\""}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

}  // namespace
