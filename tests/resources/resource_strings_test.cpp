// The string table: the listed texts exactly, and nothing under the other ids.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "resources/resource_ids.h"
#include "tests/resources/resource_module.h"

namespace {

const std::map<UINT, std::wstring>& ExpectedStrings() {
  static const std::map<UINT, std::wstring> strings = {
      {IDS_TIP_EXIT, L"Exit"},
      {IDS_TIP_HIDE, L"Hide"},
      {IDS_TIP_PLAY, L"Play"},
      {IDS_TIP_STOP, L"Stop"},
      {IDS_TIP_SNAPSHOT, L"Snapshot"},
      {IDS_TIP_ZOOM_OUT, L"Zoom Out"},
      {IDS_TIP_ZOOM_IN, L"Zoom In"},
      {IDS_TIP_FULL_SCREEN, L"Full Screen"},
      {IDS_TIP_INFORMATION, L"Information"},
      {IDS_CANT_INIT_SENSOR, L"Can't initialized camera sensor."},
      {IDS_CANT_SET_RESOLUTION, L"Can't set the camera resolution."},
      {IDS_CANT_FIND_CAMERA, L"Can't find camera."},
      {IDS_SIGNAL_BROKEN, L"Camera's signal connection is broken. Please check up camera's cable."},
      {IDS_INIT_SUCCESS, L"Success for initialized."},
      {IDS_INITIALIZE, L"Initialize"},
      {IDS_PROPERTY_TITLE, L"TK Lumora-Q7 Property"},
      {IDS_TIP_RESOLUTION, L"Properties of resolution"},
      {IDS_TIP_IMAGE, L"Properties of image"},
      {IDS_SNAPSHOT_SUCCESS, L"Success for snapshot."},
      {IDS_ZOOM_IN_STATUS, L"Zoom In 10%"},
      {IDS_ZOOM_OUT_STATUS, L"Zoom Out 10%"},
      {IDS_MENU_CAPTURE_SERIES, L"Ca&pture series\x2026"},
      {IDS_MENU_STOP_SERIES, L"&Stop series"},
      {IDS_MENU_TAKE_DARK, L"Take &dark frame\x2026"},
      {IDS_MENU_TAKE_FLAT, L"Take &flat field\x2026"},
      {IDS_MENU_CORRECTION, L"&Correction"},
      {IDS_MENU_JPEG_QUALITY, L"&JPEG quality\x2026"},
      {IDS_MENU_RECORD, L"Record\tR"},
      {IDS_MENU_RECORDING_FOLDER, L"Recording folder\x2026"},
  };
  return strings;
}

std::wstring Load(HMODULE module, UINT id) {
  wchar_t buffer[256] = {};
  const int n = LoadStringW(module, id, buffer, 256);
  return std::wstring(buffer, n > 0 ? n : 0);
}

TEST(ResourceStrings, EveryListedIdHasItsExactText) {
  ASSERT_NE(q7test::Library(), nullptr);
  for (const auto& [id, text] : ExpectedStrings()) {
    EXPECT_EQ(Load(q7test::Library(), id), text) << "string " << id;
  }
}

TEST(ResourceStrings, IdsBetweenTheListedOnesAreEmpty) {
  ASSERT_NE(q7test::Library(), nullptr);
  for (UINT id = 9319; id <= 9327; ++id) EXPECT_EQ(Load(q7test::Library(), id), L"") << "string " << id;
  EXPECT_EQ(Load(q7test::Library(), 9329), L"");
}

TEST(ResourceStrings, WholeBlocksHoldNothingBeyondTheList) {
  // The four blocks of sixteen that the table spans.
  for (UINT id = 9296; id <= 9359; ++id) {
    if (ExpectedStrings().count(id)) continue;
    EXPECT_EQ(Load(q7test::Library(), id), L"") << "string " << id;
  }
}

TEST(ResourceStrings, ProgramModuleAnswersTheSame) {
  HMODULE self = GetModuleHandleW(nullptr);
  for (UINT id = 9296; id <= 9359; ++id) {
    EXPECT_EQ(Load(self, id), Load(q7test::Library(), id)) << "string " << id;
  }
}

}  // namespace
