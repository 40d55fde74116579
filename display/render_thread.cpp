#include "display/render_thread.h"

#include <memory>
#include <mutex>

#include "display/frame_renderer.h"
#include "display/trace.h"

namespace display {
namespace {

constexpr DWORD kNoBufferSleepMs = 1000;
constexpr DWORD kIdleSleepMs = 30;
constexpr DWORD kFrameSleepMs = 2;

// Stores the clamped value unless another thread (a drag) changed it meanwhile: the
// newer value wins and is clamped on the next frame.
void WriteBack(std::atomic<int>& shared, int seen, int clamped) {
  if (clamped != seen) shared.compare_exchange_strong(seen, clamped);
}

}  // namespace

RenderThread::RenderThread(AppState& state, Trace trace) noexcept
    : state_(state), trace_(trace), wake_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

RenderThread::~RenderThread() { Stop(); }

HANDLE RenderThread::Start(HWND view) noexcept {
  if (thread_) return thread_.get();
  if (!::IsWindow(view)) return nullptr;  // GetDC(null) would hand the thread the whole screen
  view_ = view;
  stopRequest_.store(0);
  if (wake_) ::ResetEvent(wake_.get());
  thread_.reset(::CreateThread(nullptr, 0, &RenderThread::RenderThreadProc, this, 0, &threadId_));
  return thread_.get();
}

void RenderThread::Stop() noexcept {
  if (!thread_) return;
  stopRequest_.store(1);
  if (wake_) ::SetEvent(wake_.get());
  const HANDLE thread = thread_.get();
  for (;;) {
    const DWORD r = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // delivers sent messages
  }
  ::WaitForSingleObject(thread, INFINITE);  // in case the wait above failed
  thread_.reset();
}

DWORD WINAPI RenderThread::RenderThreadProc(LPVOID param) noexcept {
  try {
    static_cast<RenderThread*>(param)->Run();
  } catch (...) {
    // A failed frame ends the thread quietly; the view stays as last drawn.
  }
  return 0;
}

bool RenderThread::Pause(DWORD ms) const noexcept {
  if (wake_)
    ::WaitForSingleObject(wake_.get(), ms);
  else
    ::Sleep(ms);
  return stopRequest_.load() != 0;
}

void RenderThread::Run() {
  fw::ScopedWindowDc dc(view_);
  if (stopRequest_.load()) return;
  do {
    ++passes_;
    if (!state_.frameBuffer.Current()) {
      if (Pause(kNoBufferSleepMs)) break;
    } else if (state_.frameReady.load() == 0) {
      if (Pause(kIdleSleepMs)) break;
    } else {
      if (Pause(kFrameSleepMs)) break;
      DrawOnce(dc.get());
    }
  } while (stopRequest_.load() == 0);
}

void RenderThread::Repaint(HDC dc, HWND view) {
  RECT client{};
  ::GetClientRect(view, &client);
  const std::shared_ptr<FrameBlock> block = state_.frameBuffer.Current();
  DrawFrameOptions options;
  options.frameLock = &state_.frameBuffer.FrameLock();
  const PanOffset pan{state_.panX.load(), state_.panY.load()};
  if (frames_.load() > 0 && block && DrawFrame(dc, client, *block, state_.displayScale.load(), pan, options)) return;
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

void RenderThread::DrawOnce(HDC dc) {
  // The block is held for the whole frame, so a re-fit of the frame buffer meanwhile frees
  // the old block only after this frame is done with it.
  const std::shared_ptr<FrameBlock> block = state_.frameBuffer.Current();
  if (!block) return;
  RECT client{};
  ::GetClientRect(view_, &client);
  const double scale = state_.displayScale.load();
  const PanOffset pan{state_.panX.load(), state_.panY.load()};
  DrawFrameOptions options;
  options.frameLock = &state_.frameBuffer.FrameLock();
  if (const auto g = DrawFrame(dc, client, *block, scale, pan, options)) {
    WriteBack(state_.panX, pan.x, g->panX);
    WriteBack(state_.panY, pan.y, g->panY);
    ++frames_;
  }
  if (trace_ == Trace::AfterEachFrame) TraceToMonitor("PRINT OK");
}

}  // namespace display
