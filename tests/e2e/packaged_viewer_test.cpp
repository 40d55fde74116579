// The Windows release as a user gets it: tests/e2e/check_package.sh unpacks the zip into an
// empty folder, far from the build, and passes that folder in Q7_PACKAGE_DIR.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "resources/resource_ids.h"
#include "tests/e2e/viewer_session.h"

namespace {

TEST(PackagedViewer, StartsFromItsOwnFolderAndPlayShowsLiveFrames) {
  const wchar_t* folder = _wgetenv(L"Q7_PACKAGE_DIR");
  ASSERT_NE(folder, nullptr) << "run by tests/e2e/check_package.sh, which sets Q7_PACKAGE_DIR";
  e2e::ForgetStoredSettings();
  e2e::ViewerSession session({}, folder);
  ASSERT_TRUE(session.Program().Started()) << "Q7Viewer.exe did not start from the unpacked folder";
  ASSERT_TRUE(session.WaitUntilReady()) << "the windows did not appear or Play was never enabled";
  ASSERT_TRUE(session.StartPlaying());
  EXPECT_TRUE(session.PictureChanges()) << "the picture does not move";
  EXPECT_EQ(session.Close(), 0u) << "the program did not end cleanly";
}

}  // namespace
