// What a stored settings record becomes when it is read: every setting in its range, and every
// field the stored value does not hold whole at its default; and that the camera and the
// record written back agree with it, whatever was stored.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>

#include "camera/registry_store.h"
#include "camera_test_support.h"
#include "tests/support/settings_records.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A white-balance factor is 0 or at least the dialog's step of a thousandth.
bool NoWhiteBalanceBelowItsStep(const PropertyRecord& r) {
  for (double factor : {r.totalGain, r.redGain, r.greenGain, r.blueGain})
    if (factor > 0.0 && factor < 0.001) return false;
  return true;
}

// The ranges a record in use must keep, written out here on their own.
bool InRange(const PropertyRecord& r) {
  const auto flag = [](std::int32_t v) { return v == 0 || v == 1; };
  const auto within = [](double v, double min, double max) { return v >= min && v <= max; };
  return r.resolutionIndex >= 0 && r.resolutionIndex <= 9 && flag(r.autoExposure) && flag(r.autoGain) && flag(r.mono) &&
         flag(r.flipVertical) && flag(r.flipHorizontal) && r.exposureLowerLimit >= 10 &&
         r.exposureLowerLimit <= r.exposureUpperLimit && r.exposureUpperLimit <= 500000 &&
         within(r.exposureTime, 1000, 500000) && r.gainLowerLimit >= 0.0 && r.gainLowerLimit <= r.gainUpperLimit &&
         r.gainUpperLimit <= 32.0 && within(r.gain, 0.0, 32.0) && within(r.totalGain, 0.0, 4.0) &&
         within(r.redGain, 0.0, 10.0) && within(r.greenGain, 0.0, 10.0) && within(r.blueGain, 0.0, 10.0) &&
         within(r.gainOffset, -100.0, 100.0) && NoWhiteBalanceBelowItsStep(r);
}

using testing_support::DefaultRecord;
using testing_support::SameRecord;
using testing_support::UnusualRecord;

// ---------------------------------------------------------------------------------------
// The pure functions

TEST(RecordNormalising, YesNoFieldsThatAreNotZeroBecomeOne) {
  PropertyRecord r = DefaultRecord();
  r.autoExposure = 12345;
  r.autoGain = -1;
  r.mono = 2;
  r.flipVertical = 2;
  r.flipHorizontal = -1;
  const PropertyRecord n = Normalised(r);
  EXPECT_EQ(n.autoExposure, 1);
  EXPECT_EQ(n.autoGain, 1);
  EXPECT_EQ(n.mono, 1);
  EXPECT_EQ(n.flipVertical, 1);
  EXPECT_EQ(n.flipHorizontal, 1);
  r.flipVertical = 0;
  EXPECT_EQ(Normalised(r).flipVertical, 0);
}

TEST(RecordNormalising, NumbersOutsideTheirRangeTakeTheirDefaults) {
  const PropertyRecord defaults = DefaultRecord();
  const auto normalisedInt = [&](std::int32_t PropertyRecord::*field, std::int32_t value) {
    PropertyRecord r = UnusualRecord();
    r.*field = value;
    return Normalised(r).*field;
  };
  const auto normalisedDouble = [&](double PropertyRecord::*field, double value) {
    PropertyRecord r = UnusualRecord();
    r.*field = value;
    return Normalised(r).*field;
  };
  for (std::int32_t bad : {-1, 10, INT_MAX}) EXPECT_EQ(normalisedInt(&PropertyRecord::resolutionIndex, bad), 0);
  for (std::int32_t bad : {999, 500001, INT_MIN}) EXPECT_EQ(normalisedInt(&PropertyRecord::exposureTime, bad), 20000);
  EXPECT_EQ(normalisedInt(&PropertyRecord::exposureLowerLimit, 9), 10);
  EXPECT_EQ(normalisedInt(&PropertyRecord::exposureUpperLimit, 500001), 500000);
  for (double bad : {kNaN, -0.001, 32.001, kInfinity}) EXPECT_EQ(normalisedDouble(&PropertyRecord::gain, bad), 0.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::gainUpperLimit, kNaN), 32.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::totalGain, 4.5), 1.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::redGain, -1.0), 1.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::greenGain, kNaN), 1.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::blueGain, 1e308), 1.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::gainOffset, -100.5), 0.0);
  // The ends of each range are kept.
  EXPECT_EQ(normalisedInt(&PropertyRecord::exposureTime, 1000), 1000);
  EXPECT_EQ(normalisedInt(&PropertyRecord::exposureLowerLimit, 10), 10);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::gain, 32.0), 32.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::gainOffset, -100.0), -100.0);
  EXPECT_EQ(normalisedDouble(&PropertyRecord::redGain, 0.0), 0.0);
  // A record in range comes back unchanged, and the defaults are in range.
  EXPECT_TRUE(SameRecord(Normalised(UnusualRecord()), UnusualRecord()));
  EXPECT_TRUE(SameRecord(Normalised(defaults), defaults));
}

// Gains above 0 but below the dialog's finest step make a black picture that the dialog cannot
// even show; 0 itself and one step are kept.
TEST(RecordNormalising, WhiteBalanceFactorsBelowOneStepTakeTheirDefaults) {
  for (double PropertyRecord::*field :
       {&PropertyRecord::totalGain, &PropertyRecord::redGain, &PropertyRecord::greenGain, &PropertyRecord::blueGain}) {
    PropertyRecord r = UnusualRecord();
    for (double tiny : {5e-47, 1e-264, 4.9e-324, 0.000999}) {
      r.*field = tiny;
      EXPECT_EQ(Normalised(r).*field, 1.0) << tiny;
    }
    for (double kept : {0.0, 0.001}) {
      r.*field = kept;
      EXPECT_EQ(Normalised(r).*field, kept);
    }
  }
}

TEST(RecordNormalising, CrossedLimitsTakeTheirDefaultsTogether) {
  PropertyRecord r = UnusualRecord();
  r.exposureLowerLimit = 400000;
  r.exposureUpperLimit = 300000;
  r.gainLowerLimit = 20.0;
  r.gainUpperLimit = 10.0;
  const PropertyRecord n = Normalised(r);
  EXPECT_EQ(n.exposureLowerLimit, 10);
  EXPECT_EQ(n.exposureUpperLimit, 500000);
  EXPECT_EQ(n.gainLowerLimit, 0.0);
  EXPECT_EQ(n.gainUpperLimit, 32.0);
}

TEST(RecordNormalising, FieldsWithoutASettingTravelUnchanged) {
  PropertyRecord r;
  std::memset(&r, 0xFF, sizeof r);  // every double a NaN, every int -1
  const PropertyRecord n = Normalised(r);
  EXPECT_TRUE(InRange(n));
  EXPECT_EQ(n.header, 0xFFFFFFFFu);
  EXPECT_EQ(n.version, -1);
  EXPECT_EQ(n.reserved36, 0xFFFFFFFFu);
  EXPECT_EQ(n.reserved120, -1);
  EXPECT_EQ(0, std::memcmp(&n.reserved128, &r.reserved128, sizeof r.reserved128));
}

// Fields the stored bytes hold whole come from them; the rest are the defaults.
TEST(StoredRecordBytes, FieldsTheValueDoesNotHoldWholeTakeTheirDefaults) {
  PropertyRecord stored = UnusualRecord();
  stored.header = 0x11223344;
  stored.version = 5;
  stored.reserved128 = 7.0;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&stored);
  const auto fromFirst = [&](std::size_t length) { return RecordFromStoredBytes({bytes, length}, 3); };

  PropertyRecord expected = DefaultRecord();
  expected.version = 3;
  EXPECT_TRUE(SameRecord(fromFirst(0), expected));
  EXPECT_TRUE(SameRecord(fromFirst(3), expected));  // not even the header whole
  expected.header = stored.header;
  EXPECT_TRUE(SameRecord(fromFirst(8), expected));
  expected.version = stored.version;
  EXPECT_TRUE(SameRecord(fromFirst(12), expected));

  EXPECT_EQ(fromFirst(31).exposureTime, 20000);  // three bytes of it are not a value
  EXPECT_EQ(fromFirst(32).exposureTime, 30000);
  EXPECT_EQ(fromFirst(32).totalGain, 1.0);
  EXPECT_EQ(fromFirst(32).flipVertical, 1);

  PropertyRecord allButTheLast = stored;
  allButTheLast.reserved128 = 1.2;
  EXPECT_TRUE(SameRecord(fromFirst(135), allButTheLast));
  EXPECT_TRUE(SameRecord(fromFirst(136), stored));
}

// ---------------------------------------------------------------------------------------
// Opening on what is stored

class StoredRecordOpen : public CameraTest {
 protected:
  static void Store(const void* bytes, DWORD size, DWORD version = 1) {
    StoreValue(L"Version", REG_DWORD, &version, 4);
    StoreValue(L"Property", REG_BINARY, bytes, size);
  }
  static PropertyRecord WrittenBack() {
    DWORD type;
    std::vector<std::uint8_t> bytes;
    PropertyRecord r{};
    if (ReadStoredValue(L"Property", type, bytes) && bytes.size() == sizeof r) std::memcpy(&r, bytes.data(), sizeof r);
    return r;
  }
  static int CameraMirror() {
    return static_cast<int>(q7sim::ReadProperty(0, "Base/ImageProcessing/Mirror/MirrorModeGlobal"));
  }
};

TEST_F(StoredRecordOpen, ShortValueTakesTheDefaultsForTheRestAndStoresThemBack) {
  PropertyRecord stored = UnusualRecord();
  stored.version = 5;
  Store(&stored, 32, 2);  // up to and including the exposure time
  ASSERT_TRUE(camera->Open());
  const PropertyRecord& r = camera->CurrentRecord();
  EXPECT_EQ(r.exposureTime, 30000);
  EXPECT_EQ(r.version, 5);
  EXPECT_EQ(r.redGain, 1.0);
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/ImageProcessing/WhiteBalanceSettings-1/RedGain"), 1.0);
  EXPECT_EQ(CameraMirror(), 3);
  EXPECT_TRUE(SameRecord(WrittenBack(), r));
  EXPECT_TRUE(messages.empty());
}

TEST_F(StoredRecordOpen, YesNoFieldsOutsideZeroAndOneDriveTheCameraAsOne) {
  PropertyRecord stored = DefaultRecord();
  stored.mono = 12345;
  stored.flipVertical = 2;
  stored.flipHorizontal = -1;
  Store(&stored, sizeof stored);
  ASSERT_TRUE(camera->Open());
  EXPECT_EQ(CameraMirror(), 3);
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/ImageProcessing/ColorProcessing"), 3);
  const PropertyRecord written = WrittenBack();
  EXPECT_EQ(written.mono, 1);
  EXPECT_EQ(written.flipVertical, 1);
  EXPECT_EQ(written.flipHorizontal, 1);
}

// The record that once left every frame black: a total gain of 5e-47 and colour gains of 1e-264.
TEST_F(StoredRecordOpen, TinyWhiteBalanceGainsStartWithALiveColouredPicture) {
  PropertyRecord stored = DefaultRecord();
  stored.resolutionIndex = 9;  // 640 x 480: the chart's small copy, colour bars and all
  stored.totalGain = 5e-47;
  stored.redGain = stored.greenGain = stored.blueGain = 1e-264;
  Store(&stored, sizeof stored);
  ASSERT_TRUE(camera->Open());
  EXPECT_EQ(q7sim::ReadProperty(0, "Base/ImageProcessing/WhiteBalanceSettings-1/TotalGain"), 1.0);
  EXPECT_EQ(WrittenBack().blueGain, 1.0);
  ASSERT_TRUE(camera->StartAcquisition());
  std::vector<std::uint8_t> first;
  for (int i = 0; i < 10 && first.empty(); ++i)
    if (camera->GrabFrame(state.frames)) first = state.frames.CopyBlock();
  ASSERT_FALSE(first.empty()) << "no frame";
  std::size_t bright = 0, colourful = 0;
  for (std::size_t at = sizeof(BITMAPINFOHEADER); at + 3 <= first.size(); at += 3) {
    const auto [b, g, r] = std::tuple<int, int, int>{first[at], first[at + 1], first[at + 2]};
    bright += b + g + r > 150;
    colourful += std::max({b, g, r}) - std::min({b, g, r}) > 60;
  }
  const std::size_t pixels = (first.size() - sizeof(BITMAPINFOHEADER)) / 3;
  EXPECT_GT(bright, pixels / 4) << "the picture is dark";
  EXPECT_GT(colourful, pixels / 20) << "the picture has no colour";
  // Live: the next frames differ from the first.
  bool moved = false;
  for (int i = 0; i < 10 && !moved; ++i) moved = camera->GrabFrame(state.frames) && state.frames.CopyBlock() != first;
  EXPECT_TRUE(moved) << "the picture does not move";
}

// Random stored values, of every length up to one byte too long, each read, applied to the
// open camera and written back as the program does: what is written back is always in range
// and is what the camera was given.
TEST_F(StoredRecordOpen, RandomStoredRecordsAreWrittenBackInRange) {
  ASSERT_TRUE(camera->Open());
  std::mt19937 random(20240613);
  const auto anyInt = [&]() -> std::int32_t {
    static constexpr std::int32_t kEdges[] = {0, 1, 2, -1, 9, 10, 999, 1000, 500000, 500001, 12345, INT_MIN, INT_MAX};
    return random() % 2 ? kEdges[random() % std::size(kEdges)] : static_cast<std::int32_t>(random());
  };
  const auto anyDouble = [&]() -> double {
    static constexpr double kEdges[] = {0.0,    -0.0,  1.0,   4.0,    10.0,   32.0, -100.0,   100.0,
                                        32.001, -1e-9, 5e-47, 1e-264, 0.0009, kNaN, kInfinity};
    return random() % 2 ? kEdges[random() % std::size(kEdges)] : std::ldexp(double(random()) - 2147483648.0, -24);
  };
  for (int i = 0; i < 2000; ++i) {
    std::vector<std::uint8_t> bytes(random() % 138);  // 0 to 137 bytes
    if (i % 2 == 0) {
      for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
    } else {
      // Typed values: a record of edge and random numbers, cut to the length.
      PropertyRecord r{};
      for (std::size_t at = 0; at + 4 <= 40; at += 4) {
        const std::int32_t v = anyInt();
        std::memcpy(reinterpret_cast<std::uint8_t*>(&r) + at, &v, 4);
      }
      for (double* d : {&r.gainLowerLimit, &r.gainUpperLimit, &r.gain, &r.totalGain, &r.redGain, &r.greenGain,
                        &r.blueGain, &r.gainOffset, &r.reserved128})
        *d = anyDouble();
      for (std::int32_t* v : {&r.mono, &r.reserved100, &r.flipVertical, &r.flipHorizontal, &r.reserved120})
        *v = anyInt();
      bytes.resize(std::min(bytes.size(), sizeof r));
      std::memcpy(bytes.data(), &r, bytes.size());
    }
    Store(bytes.data(), static_cast<DWORD>(bytes.size()));
    const StoredRecord read = ReadStoredRecord();
    camera->ApplyProperties(read.record, i % 8 == 0);
    const PropertyRecord written = WrittenBack();
    ASSERT_TRUE(InRange(written)) << "record " << i << ", " << bytes.size() << " bytes";
    ASSERT_TRUE(SameRecord(written, camera->CurrentRecord())) << "record " << i;
    ASSERT_EQ(CameraMirror(), written.flipVertical + 2 * written.flipHorizontal) << "record " << i;
    ASSERT_EQ(camera->Width(), kResolutions[written.resolutionIndex].width) << "record " << i;
  }
  EXPECT_TRUE(messages.empty()) << "a value in range was refused";
}

}  // namespace
