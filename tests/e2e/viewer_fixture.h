#pragma once
// The fixture of the end-to-end tests: one run of the real program per test, started with the
// simulated camera, and the steps most tests begin with.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/viewer_session.h"

namespace e2e {

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override { ForgetStoredSettings(); }

  // Starts the program and waits until the camera is open and Play is enabled.
  void StartWithCamera(const std::vector<std::wstring>& environment = {}) {
    session_ = std::make_unique<ViewerSession>(environment);
    ASSERT_TRUE(session_->Program().Started());
    ASSERT_TRUE(session_->WaitUntilReady()) << "the windows did not appear or Play was never enabled";
  }

  void StartPlaying() { ASSERT_TRUE(session_->StartPlaying()); }
  bool PictureChanges() { return session_->PictureChanges(); }

  // The Snapshot button, then the full name typed into the save dialog and Save pressed.
  void SaveSnapshotAs(const std::wstring& target) {
    session_->Click(IDC_SNAPSHOT);
    HWND dialog = session_->FindOtherWindow([](HWND w) { return testing_support::ClassName(w) == L"#32770"; });
    ASSERT_NE(dialog, nullptr) << "no save dialog";
    HWND nameBox = ::GetDlgItem(dialog, 1148);  // the file-name combo box
    if (HWND edit = nameBox ? ::FindWindowExW(nameBox, nullptr, L"Edit", nullptr) : nullptr) nameBox = edit;
    if (!nameBox) nameBox = ::GetDlgItem(dialog, 1152);
    ASSERT_NE(nameBox, nullptr);
    ::SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }

  void TearDown() override {
    if (session_ && session_->Panel()) {
      EXPECT_EQ(session_->Close(), 0u) << "the program did not end cleanly";
    }
  }

  std::unique_ptr<ViewerSession> session_;
};

}  // namespace e2e
