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
    ASSERT_TRUE(session_->WaitForWindows()) << "the panel and the video window did not appear";
    ASSERT_TRUE(WaitUntil([&] { return session_->IsEnabled(IDC_PLAY); })) << "Play was never enabled";
  }

  void StartPlaying() {
    session_->Click(IDC_PLAY);
    // Play enables its buttons one after the other: wait for the last of them.
    ASSERT_TRUE(WaitUntil([&] {
      return !session_->IsEnabled(IDC_PLAY) && session_->IsEnabled(IDC_STOP) && session_->IsEnabled(IDC_ZOOM_OUT) &&
             session_->IsEnabled(IDC_FULL_SCREEN) && session_->IsEnabled(IDC_IMAGE);
    }));
  }

  // Two looks at the picture some frames apart; the simulated scene moves in every frame.
  bool PictureChanges() {
    const testing_support::ScreenPixels first = session_->CapturePicture();
    return WaitUntil([&] { return testing_support::DifferingShare(first, session_->CapturePicture()) > 0.0005; }, 5s);
  }

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
