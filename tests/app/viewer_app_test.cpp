#include "app/viewer_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/floater_dlg.h"
#include "display/q7_fullview.h"

namespace {

// The application object with the control panel's run replaced by a look at the state the
// panel would find.
class InspectedViewerApp : public CViewerApp {
 public:
  bool panelRan = false;
  bool videoWindowReady = false;
  bool fullViewReady = false;
  double scaleAtPanel = 0;
  int sharedValuesAtPanel = -1;

 protected:
  void RunControlPanel() override {
    panelRan = true;
    videoWindowReady = VideoWindow() && VideoWindow()->m_hWnd && !VideoWindow()->IsWindowVisible();
    fullViewReady = FullView() && FullView()->m_hWnd && !FullView()->IsWindowVisible();
    scaleAtPanel = m_state.displayScale;
    sharedValuesAtPanel = m_state.panX + m_state.panY + m_state.frameReady + m_state.docked;
  }
};

TEST(ViewerAppLifecycle, WindowsExistBeforeThePanelAndTearDownRunsInOrder) {
  InspectedViewerApp app;
  std::vector<std::string> steps;
  app.m_tearDownObserver = [&](const char* step) {
    steps.push_back(step);
    const std::string s = step;
    // What each step may rely on still being there, or already being gone.
    if (s == "frame buffer freed") {
      EXPECT_EQ(app.VideoWindow(), nullptr);
      EXPECT_EQ(app.FullView(), nullptr);
      EXPECT_NE(app.Camera(), nullptr);
    }
    if (s == "camera destroyed") {
      EXPECT_FALSE(app.m_state.frames.Read());
    }
    if (s == "resource library freed") {
      EXPECT_EQ(app.Camera(), nullptr);
    }
  };
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(app.panelRan);
  EXPECT_TRUE(app.videoWindowReady);
  EXPECT_TRUE(app.fullViewReady);
  EXPECT_EQ(app.scaleAtPanel, 100.0);
  EXPECT_EQ(app.sharedValuesAtPanel, 0);
  const std::vector<std::string> expected{"full-screen viewer destroyed", "video window destroyed",
                                          "frame buffer freed", "camera destroyed", "resource library freed"};
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(app.m_state.frameReady, 0);
  EXPECT_EQ(AfxGetResourceHandle(), ::GetModuleHandleW(nullptr));
}

TEST(ViewerAppLifecycle, FrameBufferStartsBlackAtVgaSize) {
  class FrameBufferCheck : public CViewerApp {
   public:
    int width = 0, height = 0;
    bool black = false;

   protected:
    void RunControlPanel() override {
      const FrameExchange::Lease frame = m_state.frames.Read();
      const FrameBlock& block = frame.Block();
      width = block.Width();
      height = block.Height();
      black = std::all_of(block.Pixels(), block.Pixels() + block.PixelBytes(), [](std::uint8_t b) { return b == 0; });
    }
  } app;
  app.InitInstance();
  EXPECT_EQ(app.width, 640);
  EXPECT_EQ(app.height, 480);
  EXPECT_TRUE(app.black);
}

}  // namespace
