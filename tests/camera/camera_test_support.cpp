#include "camera_test_support.h"

#include <cstdio>
#include <thread>

#include "camera/registry_store.h"
#include "tests/support/private_registry.h"

namespace {
// The current user's registry of this test process is a key of its own, so these tests never
// meet the settings of the program or of another test process running at the same time.
class PrivateRegistryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(registry_.Ok()); }

 private:
  testing_support::PrivateCurrentUser registry_;
};
[[maybe_unused]] ::testing::Environment* const kPrivateRegistry =
    ::testing::AddGlobalTestEnvironment(new PrivateRegistryEnvironment);
}  // namespace

CameraTest::CameraTest() {
  camera = std::make_unique<CCamera>(state, [this](const std::wstring& text, const std::wstring& caption, UINT) {
    messages.push_back({text, caption});
  });
}

void CameraTest::SetUp() {
  for (const char* name :
       {"Q7SIM_CAMERAS", "Q7SIM_INIT_FAIL", "Q7SIM_OPEN_FAIL", "Q7SIM_OPEN_DELAY_MS", "Q7SIM_BAD_RESULT_EVERY",
        "Q7SIM_UNPLUG_AFTER", "Q7SIM_REPLUG_AFTER_MS", "Q7SIM_ARRIVE_AFTER_MS", "Q7SIM_REJECT_PROPERTY"}) {
    SetSim(name, nullptr);
  }
  SetSim("Q7SIM_FPS", "40");
  DeleteSettingsKey();
  state.frames.Refit(640, 480);
  q7sim::StartRecordingWrites();
}

void CameraTest::TearDown() {
  camera.reset();
  q7sim::StopRecordingWrites();
}

PropertyRecord CameraTest::Defaults() {
  PropertyRecord r{};
  SetDefaults(r);
  return r;
}

namespace {
std::string Entry(const q7sim::PropertyWrite& w) {
  char value[64];
  if (w.isDouble) {
    std::snprintf(value, sizeof value, "%g", w.doubleValue);
  } else {
    std::snprintf(value, sizeof value, "%d", w.intValue);
  }
  return w.name + "=" + value;
}
}  // namespace

std::vector<std::string> WriteLogSince(std::size_t first) {
  std::vector<std::string> log;
  const auto writes = q7sim::RecordedWrites();
  for (std::size_t i = first; i < writes.size(); ++i) log.push_back(Entry(writes[i]));
  return log;
}

std::vector<std::string> WriteLog() { return WriteLogSince(0); }

std::vector<std::string> WriteNames() {
  std::vector<std::string> names;
  for (const auto& w : q7sim::RecordedWrites()) names.push_back(w.name);
  return names;
}

bool ReadStoredValue(const wchar_t* name, DWORD& type, std::vector<std::uint8_t>& bytes) {
  DWORD size = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, &type, nullptr, &size) != ERROR_SUCCESS) {
    return false;
  }
  bytes.resize(size);
  return ::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_ANY, &type, bytes.data(), &size) == ERROR_SUCCESS;
}

void StoreValue(const wchar_t* name, DWORD type, const void* bytes, DWORD size) {
  ASSERT_EQ(WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, name, type, bytes, size), ERROR_SUCCESS);
}

void DeleteSettingsKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
