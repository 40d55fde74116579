// The settings record and its registry store: layout, defaults, and what Open makes of
// what it finds under the key.
#include <algorithm>
#include <cstring>

#include "camera/registry_store.h"
#include "camera_test_support.h"

namespace {

TEST(SettingsRecord, DefaultsLeaveTheFirstTwelveBytesAlone) {
  PropertyRecord r;
  std::memset(&r, 0xAB, sizeof r);
  SetDefaults(r);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&r);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(bytes[i], 0xAB) << "byte " << i;
  EXPECT_EQ(r.resolutionIndex, 0);
  EXPECT_EQ(r.exposureLowerLimit, 10);
  EXPECT_EQ(r.exposureUpperLimit, 500000);
  EXPECT_EQ(r.exposureTime, 20000);
  EXPECT_EQ(r.gainUpperLimit, 32.0);
  EXPECT_EQ(r.totalGain, 1.0);
  EXPECT_EQ(r.blueGain, 1.0);
  EXPECT_EQ(r.flipVertical, 1);
  EXPECT_EQ(r.flipHorizontal, 1);
  EXPECT_EQ(r.reserved100, 0);
  EXPECT_EQ(r.reserved120, 100);
  EXPECT_EQ(r.reserved128, 1.2);
  // Little-endian doubles at their fixed offsets: 1.2 at byte 128.
  double at128;
  std::memcpy(&at128, bytes + 128, 8);
  EXPECT_EQ(at128, 1.2);
}

TEST(SettingsRecord, ResolutionsAreCentredOnTheSensor) {
  EXPECT_EQ(CentredAoi(2592, 1944).x, 0);
  const AreaOfInterest a = CentredAoi(2320, 1744);
  EXPECT_EQ(a.x, 136);
  EXPECT_EQ(a.y, 100);
  EXPECT_EQ(CentredAoi(1920, 1080).y, 432);
  EXPECT_EQ(CentredAoi(640, 480).x, 976);
  EXPECT_EQ(CentredAoi(640, 480).y, 732);
  EXPECT_EQ(ResolutionIndexOf(1408, 1048), 5);
  EXPECT_EQ(ResolutionIndexOf(1281, 960), -1);
}

class SettingsStore : public CameraTest {};

TEST_F(SettingsStore, ReadZeroFillsAndReportsWhatTheQueryReports) {
  std::uint8_t buffer[8];
  std::memset(buffer, 0x55, sizeof buffer);
  EXPECT_NE(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, L"Property", REG_BINARY, buffer, 8), ERROR_SUCCESS);
  for (std::uint8_t b : buffer) EXPECT_EQ(b, 0);
  // The key is never created by a read.
  DWORD type;
  std::vector<std::uint8_t> bytes;
  HKEY key;
  EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);

  const std::uint8_t three[3] = {1, 2, 3};
  EXPECT_EQ(WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, L"Short", REG_BINARY, three, 3), ERROR_SUCCESS);
  std::memset(buffer, 0x55, sizeof buffer);
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, L"Short", REG_BINARY, buffer, 8), ERROR_SUCCESS);
  EXPECT_EQ(buffer[2], 3);
  EXPECT_EQ(buffer[3], 0);  // the tail of a shorter value stays zero
  EXPECT_EQ(ReadRegistryValue(HKEY_CURRENT_USER, kSettingsKey, L"Short", REG_BINARY, buffer, 2), ERROR_MORE_DATA);
  ASSERT_TRUE(ReadStoredValue(L"Short", type, bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
}

TEST_F(SettingsStore, FirstRunUsesDefaultsAndStoresVersionZero) {
  ASSERT_TRUE(camera->Open());
  EXPECT_TRUE(messages.empty());
  DWORD type;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadStoredValue(L"Version", type, bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  ASSERT_EQ(bytes.size(), 4u);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(bytes.size(), 136u);
  const PropertyRecord expected = Defaults();  // zero header and version
  EXPECT_EQ(0, std::memcmp(bytes.data(), &expected, 136));
  EXPECT_EQ(camera->Width(), 2592);
  EXPECT_EQ(state.frames.Size().width, 2592);
}

TEST_F(SettingsStore, StoredRecordIsTakenWholeAndItsHeaderHasNoEffect) {
  PropertyRecord stored = Defaults();
  stored.version = 7;
  stored.resolutionIndex = 9;
  stored.exposureTime = 12340;
  stored.gain = 3.5;
  stored.flipVertical = 0;
  stored.flipHorizontal = 1;
  stored.gainOffset = -12.5;
  stored.reserved124 = 0xDEADBEEF;  // unused bytes travel with the record
  const DWORD version = 7;
  std::vector<std::vector<std::string>> logs;
  for (std::uint32_t header : {0u, 0xFFFFFFFFu}) {
    stored.header = header;
    stored.reserved4 = ~header;
    StoreValue(L"Version", REG_DWORD, &version, 4);
    StoreValue(L"Property", REG_BINARY, &stored, sizeof stored);
    q7sim::StartRecordingWrites();
    ASSERT_TRUE(camera->Open());
    logs.push_back(WriteLog());
    const PropertyRecord current = camera->CurrentRecord();
    EXPECT_EQ(0, std::memcmp(&current, &stored, sizeof stored));
    DWORD type;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadStoredValue(L"Property", type, bytes));
    EXPECT_EQ(0, std::memcmp(bytes.data(), &stored, sizeof stored));
    camera->Close();
  }
  EXPECT_EQ(logs[0], logs[1]);
  const auto has = [&](const std::string& entry) { return std::count(logs[0].begin(), logs[0].end(), entry) > 0; };
  EXPECT_TRUE(has("W=640"));
  EXPECT_TRUE(has("X=976"));
  EXPECT_TRUE(has("Expose_us=12340"));
  EXPECT_TRUE(has("Gain_dB=3.5"));
  EXPECT_TRUE(has("MirrorModeGlobal=2"));
  EXPECT_TRUE(has("GainOffsetKneeMasterOffset_pc=-12.5"));
  EXPECT_EQ(camera->Width(), 640);
  EXPECT_EQ(state.frames.Size().height, 480);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsStore, OverLongValuesFallBackToTheDefaults) {
  PropertyRecord stored = Defaults();
  stored.exposureTime = 55555;
  std::vector<std::uint8_t> longer(137, 0);
  std::memcpy(longer.data(), &stored, sizeof stored);
  const DWORD version = 3;
  StoreValue(L"Version", REG_DWORD, &version, 4);
  StoreValue(L"Property", REG_BINARY, longer.data(), 137);
  ASSERT_TRUE(camera->Open());
  EXPECT_EQ(camera->CurrentRecord().exposureTime, 20000);
  EXPECT_EQ(camera->CurrentRecord().version, 0);
  // The user is told that the stored settings were replaced, once.
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].text.find(L"could not be read"), std::wstring::npos);
  camera->Close();

  // A "Version" of 8 bytes fails the read as well, even with a good "Property".
  DeleteSettingsKey();
  const std::uint64_t wide = 3;
  StoreValue(L"Version", REG_QWORD, &wide, 8);
  StoreValue(L"Property", REG_BINARY, &stored, sizeof stored);
  ASSERT_TRUE(camera->Open());
  EXPECT_EQ(camera->CurrentRecord().exposureTime, 20000);
  const PropertyRecord expected = Defaults();
  const PropertyRecord current = camera->CurrentRecord();
  EXPECT_EQ(0, std::memcmp(&current, &expected, sizeof expected));
}

}  // namespace
