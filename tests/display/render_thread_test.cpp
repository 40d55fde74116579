#include "display/render_thread.h"

#include <gtest/gtest.h>

#include "display/live_overlays.h"
#include "display/render_geometry.h"
#include "tests/display/test_pixels.h"
#include "tests/display/trace_monitor.h"

namespace {

using display::RenderThread;
using display_test::ColourNear;
using display_test::PumpUntil;

constexpr int kCw = 468, kCh = 358;
constexpr COLORREF kPicture = RGB(40, 160, 90);
constexpr RECT kCaptionArea{0, 0, 200, 24};

class RenderThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = display_test::MakeTestWindow(kCw, kCh);
    ASSERT_TRUE(window_);
    state_.frames.Refit(640, 480);
    Paint(kPicture);
  }

  // A new frame of one colour, as the hand-off publishes it.
  void Paint(COLORREF colour) {
    display_test::PublishSolid(state_.frames, colour);
    state_.redraw.Notify();
  }
  // The same picture again as a new frame.
  void NewFrame() {
    display_test::PublishFrame(state_.frames);
    state_.redraw.Notify();
  }
  // Frames keep arriving, as from a live camera, until the thread has drawn `more`.
  bool WaitForFrames(RenderThread& thread, std::uint64_t more) {
    const auto target = thread.FramesDrawn() + more;
    return display_test::PumpFramesUntil(state_, [&] { return thread.FramesDrawn() >= target; });
  }
  bool ShowsAt(int x, int y, COLORREF colour) {
    return PumpUntil([&] { return ColourNear(display_test::CaptureClient(window_.get())->At(x, y), colour, 12); });
  }
  // Waits for a frame begun after this call. One more frame is not enough: the frame under way
  // when the caller changed the picture may have taken the buffer before the change.
  bool WaitForAFrameBegunNow(RenderThread& thread) { return WaitForFrames(thread, 2); }
  // Frames flow until the thread has drawn two, then stop; the frame under way has finished.
  void ShowFramesThenStop(RenderThread& thread) {
    state_.frameReady = 1;
    ASSERT_TRUE(thread.Start(window_.get()));
    ASSERT_TRUE(WaitForFrames(thread, 2));
    state_.frameReady = 0;
    ASSERT_TRUE(WaitForPasses(thread, 2));
  }
  bool WaitForPasses(RenderThread& thread, std::uint64_t more) {
    const auto target = thread.Passes() + more;
    return PumpUntil([&] { return thread.Passes() >= target; });
  }

  AppState state_;
  fw::UniqueWindow window_;
};

TEST_F(RenderThreadTest, DrawsTheFrameWithCaptionAndNavigatorIntoTheView) {
  RenderThread thread(state_);
  state_.frameReady = 1;
  ASSERT_TRUE(thread.Start(window_.get()));
  ASSERT_TRUE(WaitForFrames(thread, 3));
  const auto shot = display_test::CaptureClient(window_.get());
  EXPECT_TRUE(ColourNear(shot->At(200, 200), kPicture, 12));
  EXPECT_GT(shot->Count(kCaptionArea, display::kCaptionColour, 0), 20);
  // The navigator's white border at 100/255 over the picture.
  const COLORREF border = RGB(40 + (255 - 40) * 100 / 255, 160 + (255 - 160) * 100 / 255, 90 + (255 - 90) * 100 / 255);
  EXPECT_TRUE(ColourNear(shot->At(kCw - 95, 30), border, 3));
  thread.Stop();
  EXPECT_FALSE(thread.IsRunning());
}

TEST_F(RenderThreadTest, IdleCameraStopsDrawingAndKeepsTheLastPicture) {
  RenderThread thread(state_);
  state_.frameReady = 1;
  thread.Start(window_.get());
  ASSERT_TRUE(WaitForFrames(thread, 2));

  state_.frameReady = 0;
  ASSERT_TRUE(WaitForPasses(thread, 2));  // any frame under way has finished
  const auto framesWhenIdle = thread.FramesDrawn();
  state_.redraw.Notify();
  ASSERT_TRUE(WaitForPasses(thread, 3));
  EXPECT_EQ(thread.FramesDrawn(), framesWhenIdle);
  EXPECT_TRUE(ColourNear(display_test::CaptureClient(window_.get())->At(200, 200), kPicture, 12));

  state_.frameReady = 1;
  Paint(RGB(250, 0, 0));
  ASSERT_TRUE(WaitForFrames(thread, 2));
  EXPECT_TRUE(ShowsAt(200, 200, RGB(250, 0, 0)));
}

// While frames flow the thread holds no frame between draws, so the hand-off gets the
// previous frame's block straight back; once they stop, it keeps the picture it drew.
TEST_F(RenderThreadTest, HoldsAFrameOnlyWhileNoFramesFlow) {
  RenderThread thread(state_);
  state_.frameReady = 1;
  thread.Start(window_.get());
  ASSERT_TRUE(WaitForFrames(thread, 2));
  ASSERT_TRUE(WaitForPasses(thread, 2));  // the frame under way has finished
  EXPECT_EQ(state_.frames.LeasesHeld(), 0u);

  state_.frameReady = 0;
  ASSERT_TRUE(WaitForPasses(thread, 2));
  EXPECT_EQ(state_.frames.LeasesHeld(), 1u);
}

// Stop pressed right after a frame was stored: the flag goes down before the thread drew it.
TEST_F(RenderThreadTest, AFrameStoredAsTheCameraStopsIsStillShown) {
  RenderThread thread(state_);
  ASSERT_NO_FATAL_FAILURE(ShowFramesThenStop(thread));
  Paint(RGB(250, 0, 0));
  NewFrame();
  EXPECT_TRUE(ShowsAt(200, 200, RGB(250, 0, 0)));
}

// The camera went away: "No signal" comes onto the picture shown and goes again, on that
// picture even when the frame buffer was re-fitted to black meanwhile (a re-opened camera).
TEST_F(RenderThreadTest, NoSignalComesAndGoesOnTheLastPicture) {
  const RECT infoLine{0, kCh - 24, 200, kCh};
  const auto labelled = [&] {
    return display_test::CaptureClient(window_.get())->Count(infoLine, display::kCaptionColour, 0) > 20;
  };
  RenderThread thread(state_);
  ASSERT_NO_FATAL_FAILURE(ShowFramesThenStop(thread));
  EXPECT_FALSE(labelled());

  state_.noSignal = true;
  state_.redraw.Notify();
  EXPECT_TRUE(PumpUntil(labelled));
  EXPECT_TRUE(ColourNear(display_test::CaptureClient(window_.get())->At(200, 200), kPicture, 12));

  state_.frames.Refit(640, 480);  // black
  state_.noSignal = false;
  state_.redraw.Notify();
  EXPECT_TRUE(PumpUntil([&] { return !labelled(); }));
  EXPECT_TRUE(ColourNear(display_test::CaptureClient(window_.get())->At(200, 200), kPicture, 12));
}

// A view uncovered while no frames arrive paints the last picture again, not black holes.
TEST_F(RenderThreadTest, RepaintRestoresTheLastPictureAndIsBlackBeforeTheFirstFrame) {
  RenderThread thread(state_);
  fw::ScopedWindowDc dc(window_.get());
  thread.Repaint(dc.get(), window_.get());
  EXPECT_TRUE(ColourNear(display_test::CaptureClient(window_.get())->At(200, 200), RGB(0, 0, 0), 4));

  state_.frameReady = 1;
  thread.Start(window_.get());
  ASSERT_TRUE(WaitForFrames(thread, 2));
  thread.Stop();
  const RECT all{0, 0, kCw, kCh};
  ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  thread.Repaint(dc.get(), window_.get());
  const auto shot = display_test::CaptureClient(window_.get());
  EXPECT_TRUE(ColourNear(shot->At(200, 200), kPicture, 12));
  EXPECT_GT(shot->Count(kCaptionArea, display::kCaptionColour, 0), 20);
}

// While no frames flow, the last picture is drawn again for any other change, live views
// included: a view switched on, and a repaint after part of the view was uncovered (which
// puts the picture back at once, without them).
TEST_F(RenderThreadTest, WhileNoFramesFlowTheLastPictureIsDrawnAgainWithItsLiveViews) {
  const RECT infoLine{0, kCh - display::kInfoLineHeight, kCw, kCh};
  const auto lineShown = [&] {
    return display_test::CaptureClient(window_.get())->Count(infoLine, RGB(255, 255, 255), 0) > 20;
  };
  RenderThread thread(state_);
  ASSERT_NO_FATAL_FAILURE(ShowFramesThenStop(thread));
  ASSERT_FALSE(lineShown());

  state_.live.showInfoLine = true;
  state_.redraw.Notify();
  EXPECT_TRUE(PumpUntil(lineShown));

  fw::ScopedWindowDc dc(window_.get());
  const RECT all{0, 0, kCw, kCh};
  ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  thread.Repaint(dc.get(), window_.get());
  EXPECT_TRUE(PumpUntil(lineShown));
  EXPECT_TRUE(ColourNear(display_test::CaptureClient(window_.get())->At(200, 200), kPicture, 12));

  // Started again while stopped (full screen left): the views still follow.
  thread.Stop();
  ASSERT_TRUE(thread.Start(window_.get()));
  state_.live.showInfoLine = false;
  state_.redraw.Notify();
  EXPECT_TRUE(PumpUntil([&] { return !lineShown(); }));
}

TEST_F(RenderThreadTest, WritesTheClampedPanOffsetBack) {
  RenderThread thread(state_);
  state_.panX = 1000;
  state_.panY = 1000;
  state_.frameReady = 1;
  thread.Start(window_.get());
  EXPECT_TRUE(PumpUntil([&] { return state_.panX == 172 && state_.panY == 122; }));
}

TEST_F(RenderThreadTest, WithoutAFrameBufferItWaitsAndStillStops) {
  state_.frames.Free();
  state_.frameReady = 1;
  RenderThread thread(state_);
  thread.Start(window_.get());
  ASSERT_TRUE(WaitForPasses(thread, 1));
  thread.Stop();
  EXPECT_EQ(thread.FramesDrawn(), 0u);
}

TEST_F(RenderThreadTest, NoWindowNoThread) {
  RenderThread thread(state_);
  EXPECT_EQ(thread.Start(nullptr), nullptr);
  EXPECT_FALSE(thread.IsRunning());
}

TEST_F(RenderThreadTest, ZeroSizedViewKeepsTheLoopRunning) {
  ::SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
  RenderThread thread(state_);
  state_.frameReady = 1;
  thread.Start(window_.get());
  ASSERT_TRUE(WaitForPasses(thread, 5));
  EXPECT_EQ(thread.FramesDrawn(), 0u);
}

TEST_F(RenderThreadTest, StartingTwiceKeepsOneThreadAndStoppingTwiceIsHarmless) {
  const int threadsBefore = display_test::ThreadCount();
  RenderThread thread(state_);
  const HANDLE first = thread.Start(window_.get());
  const HANDLE second = thread.Start(window_.get());
  EXPECT_EQ(first, second);
  EXPECT_EQ(display_test::ThreadCount(), threadsBefore + 1);
  thread.Stop();
  thread.Stop();
  EXPECT_EQ(display_test::ThreadCount(), threadsBefore);
}

TEST_F(RenderThreadTest, StartStopCyclesLeaveNoThreadOrGdiObject) {
  state_.frameReady = 1;
  {
    RenderThread warmUp(state_);
    warmUp.Start(window_.get());
    ASSERT_TRUE(WaitForFrames(warmUp, 2));
  }
  const int threadsBefore = display_test::ThreadCount();
  const DWORD gdiBefore = display_test::GdiObjectCount();
  RenderThread thread(state_);
  for (int cycle = 0; cycle < 2; ++cycle) {
    thread.Start(window_.get());
    ASSERT_TRUE(WaitForFrames(thread, 3));
    thread.Stop();
  }
  EXPECT_EQ(display_test::ThreadCount(), threadsBefore);
  EXPECT_EQ(display_test::GdiObjectCount(), gdiBefore);
}

TEST_F(RenderThreadTest, RefittingTheBufferWhileDrawingIsSafe) {
  RenderThread thread(state_);
  state_.frameReady = 1;
  thread.Start(window_.get());
  const int sizes[][2] = {{2592, 1944}, {320, 240}, {641, 480}, {1, 1}, {1920, 1080}};
  for (int round = 0; round < 3; ++round) {
    for (const auto& size : sizes) {
      state_.frames.Refit(size[0], size[1]);
      Paint(RGB(10 * round, 200, 200));
      ASSERT_TRUE(WaitForAFrameBegunNow(thread));
    }
  }
  // The last frame stored after the last re-fit is the one on the screen.
  NewFrame();
  EXPECT_TRUE(ShowsAt(234, 300, RGB(20, 200, 200)));
  thread.Stop();
}

TEST_F(RenderThreadTest, DrawsOncePerChangeAndNotWhileNothingChanges) {
  RenderThread thread(state_);
  state_.frameReady = 1;
  thread.Start(window_.get());
  ASSERT_TRUE(WaitForFrames(thread, 2));
  ASSERT_TRUE(WaitForPasses(thread, 2));  // any frame under way has finished
  const auto drawn = thread.FramesDrawn();
  ASSERT_TRUE(WaitForPasses(thread, 5));
  EXPECT_EQ(thread.FramesDrawn(), drawn) << "the same picture was drawn again";

  state_.displayScale = 50.0;  // a zoom shows without a new frame
  state_.redraw.Notify();
  ASSERT_TRUE(PumpUntil([&] { return thread.FramesDrawn() == drawn + 1; }));
  ::SetWindowPos(window_.get(), nullptr, 0, 0, kCw - 20, kCh, SWP_NOMOVE | SWP_NOZORDER);  // so does a resize
  ASSERT_TRUE(PumpUntil([&] { return thread.FramesDrawn() == drawn + 2; }));
  ASSERT_TRUE(WaitForPasses(thread, 5));
  EXPECT_EQ(thread.FramesDrawn(), drawn + 2);
}

TEST_F(RenderThreadTest, TracedViewReportsEveryFrameToTheMonitor) {
  display_test::TraceMonitor monitor;
  RenderThread traced(state_, RenderThread::Trace::AfterEachFrame);
  state_.frameReady = 1;
  traced.Start(window_.get());
  ASSERT_TRUE(PumpUntil([&] {
    NewFrame();
    return monitor.Count() >= 3;
  }));
  traced.Stop();
  const auto blocks = monitor.Received();
  EXPECT_STREQ(blocks.front().bytes.c_str(), "PRINT OK");
  EXPECT_GE(blocks.size(), 3u);
}

TEST_F(RenderThreadTest, UntracedViewSendsNothing) {
  display_test::TraceMonitor monitor;
  RenderThread plain(state_);
  state_.frameReady = 1;
  plain.Start(window_.get());
  ASSERT_TRUE(WaitForFrames(plain, 3));
  plain.Stop();
  EXPECT_EQ(monitor.Count(), 0u);
}

TEST_F(RenderThreadTest, StoppingWhileTheMonitorLivesOnTheStoppingThreadDoesNotDeadlock) {
  display_test::TraceMonitor monitor(display_test::TraceMonitor::Where::CallingThread);
  RenderThread traced(state_, RenderThread::Trace::AfterEachFrame);
  state_.frameReady = 1;
  traced.Start(window_.get());
  ASSERT_TRUE(PumpUntil([&] {
    NewFrame();
    return monitor.Count() >= 2;
  }));
  traced.Stop();  // the render thread may be inside its send to our window right now
  EXPECT_FALSE(traced.IsRunning());
}

}  // namespace
