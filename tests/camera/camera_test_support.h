#pragma once
// What the camera tests share: a session on the simulated camera with a clean settings key,
// the messages it would have shown, and readers for the registry and the recorded writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "camera/property_record.h"
#include "camera/sdk/simulator_control.h"
#include "state/app_state.h"

struct ShownMessage {
  std::wstring text;
  std::wstring caption;
};

class CameraTest : public ::testing::Test {
 protected:
  CameraTest();
  void SetUp() override;
  void TearDown() override;

  // Sets a simulator switch for the next Open (null removes it).
  static void SetSim(const char* name, const char* value) { ::SetEnvironmentVariableA(name, value); }
  static PropertyRecord Defaults();

  AppState state;
  std::vector<ShownMessage> messages;
  std::unique_ptr<CCamera> camera;
};

// "Name=value" of each recorded write, e.g. "Expose_us=20000", "Gain_dB=0".
std::vector<std::string> WriteLog();
std::vector<std::string> WriteLogSince(std::size_t first);
std::vector<std::string> WriteNames();

// A value of the settings key: its type and bytes; false when it is not there.
bool ReadStoredValue(const wchar_t* name, DWORD& type, std::vector<std::uint8_t>& bytes);
void StoreValue(const wchar_t* name, DWORD type, const void* bytes, DWORD size);
void DeleteSettingsKey();

// Polls `condition` until it holds or `limit` passes (a bound against hanging, not a timing check).
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(10));
