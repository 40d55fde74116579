#include "display/render_thread.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

#include "display/frame_renderer.h"
#include "display/live_statistics.h"
#include "display/trace.h"

namespace display {
namespace {

// Changes are signalled; this is only how late a change nobody signalled is still seen.
constexpr DWORD kChangeCheckMs = 50;

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

bool RenderThread::WaitForChange() const noexcept {
  const HANDLE events[] = {wake_.get(), state_.redraw.Handle()};
  if (events[0] && events[1])
    ::WaitForMultipleObjects(2, events, FALSE, kChangeCheckMs);
  else
    ::Sleep(kChangeCheckMs);
  return stopRequest_.load() != 0;
}

RenderThread::Inputs RenderThread::CurrentInputs() const {
  Inputs now;
  now.bufferGeneration = state_.frames.Generation();
  now.frameNumber = state_.frames.NewestNumber();
  now.scale = state_.displayScale.load();
  now.pan = {state_.panX.load(), state_.panY.load()};
  ::GetClientRect(view_, &now.client);
  now.infoLine = state_.live.showInfoLine.load();
  now.histogram = state_.live.showHistogram.load();
  now.focus = state_.live.showFocus.load();
  now.focusSession = state_.live.focusSession.load();
  if (now.infoLine) now.pointer = PointerOverView();
  now.hint = CurrentHint();
  now.noSignal = state_.noSignal.load();
  const Measuring& measuring = state_.measuring;
  now.scaleBar = measuring.scaleBar.load();
  now.crosshair = measuring.crosshair.load();
  now.grid = measuring.grid.load();
  now.measurements = measuring.measurements.Generation();
  now.calibrations = measuring.calibrations.Generation();
  now.placement = SensorPlacementOf(state_.live);
  if (state_.recording.on) now.recordingSecond = static_cast<long long>(state_.recording.seconds.load());
  return now;
}

void RenderThread::ShowHint(std::wstring text, DWORD durationMs) {
  {
    std::lock_guard lock(hintMutex_);
    hint_ = std::move(text);
    hintUntil_ = ::GetTickCount64() + durationMs;
  }
  state_.redraw.Notify();
}

std::wstring RenderThread::CurrentHint() const {
  std::lock_guard lock(hintMutex_);
  return ::GetTickCount64() < hintUntil_ ? hint_ : std::wstring();
}

std::optional<POINT> RenderThread::PointerOverView() const {
  POINT screen{};
  if (!::GetCursorPos(&screen) || ::WindowFromPoint(screen) != view_) return std::nullopt;
  POINT client = screen;
  ::ScreenToClient(view_, &client);
  return client;
}

void RenderThread::Run() {
  fw::ScopedWindowDc dc(view_);
  FrameRenderer renderer;
  LiveStatistics statistics(state_);
  std::optional<Inputs> drawn;  // what the picture on the screen shows
  // The frame drawn last, held only while no frames flow, so that a re-fit to black cannot
  // take the picture away. Not held while they flow: a frame nobody holds goes straight back
  // to the hand-off for the next one.
  FrameExchange::Lease lastPicture;
  while (stopRequest_.load() == 0) {
    ++passes_;
    Inputs now = CurrentInputs();
    // Drawn once per new frame and once per change of zoom, pan, size, live view, hint or
    // "No signal"; never again for the same picture unless the view was uncovered. While no
    // frames flow (the flag down) the picture is the one drawn last, whatever the frame
    // buffer holds now (it may have been re-fitted to black meanwhile).
    // A frame stored just before the flag went down (a stop right after it) is still drawn.
    const bool flowing = state_.frameReady.load() != 0 || (drawn && now.frameNumber != drawn->frameNumber);
    if (flowing) {
      lastPicture.Reset();
    } else if (!lastPicture &&
               (drawn ? now.bufferGeneration == drawn->bufferGeneration : now.noSignal || frames_.load() > 0)) {
      // Not flowing means no frame stored since the draw: the buffer still holds that picture.
      // A thread started while no frames flow (full screen left while stopped, or entered or
      // left while the camera is lost) has drawn nothing yet: it shows the last picture the
      // camera gave, as the view did before, or as the view before it did.
      lastPicture = state_.frames.Read();
    }
    const bool still = !flowing && lastPicture;
    if (still && drawn) now.bufferGeneration = drawn->bufferGeneration;  // a re-fit does not change the picture shown
    const bool repaint = repaintRequested_.exchange(false);
    if (repaint) renderer.PresentWholeViewNext();  // the repaint drew the view its own way
    if ((flowing || still) && (!drawn || repaint || !(now == *drawn))) {
      FrameExchange::Lease current;
      if (!still) current = state_.frames.Read();
      const FrameExchange::Lease& frame = still ? lastPicture : current;
      // A frame published since the inputs were read is the one drawn: not drawn again for it.
      if (frame && !still) now.frameNumber = std::max(now.frameNumber, frame.Stamp().number);
      const auto g = frame ? DrawOnce(dc.get(), renderer, statistics, frame, now) : std::nullopt;
      if (g) {
        now.pan = {g->panX, g->panY};  // the clamped offset is what the picture shows
        drawn = now;
      }
    }
    if (WaitForChange()) break;
  }
}

void RenderThread::Repaint(HDC dc, HWND view) {
  RECT client{};
  ::GetClientRect(view, &client);
  const FrameExchange::Lease frame = state_.frames.Read();
  DrawFrameOptions options;
  options.noSignal = state_.noSignal.load();
  const PanOffset pan{state_.panX.load(), state_.panY.load()};
  if (frames_.load() > 0 && frame && DrawFrame(dc, client, frame.Block(), state_.displayScale.load(), pan, options)) {
    // The picture is back at once, but without the live views: the thread draws it again
    // whole, after this.
    if (thread_) {
      repaintRequested_ = true;
      state_.redraw.Notify();
    }
    return;
  }
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

std::optional<RenderGeometry> RenderThread::DrawOnce(HDC dc, FrameRenderer& renderer, LiveStatistics& statistics,
                                                     const FrameExchange::Lease& frame, const Inputs& in) {
  // The lease pins the frame for the whole draw: the statistics and the picture describe the
  // same frame, and a re-fit meanwhile frees the old block only after this draw.
  const FrameBlock& block = frame.Block();
  LiveOverlays overlays = statistics.Prepare(frame, in.client.right - in.client.left, in.client.bottom - in.client.top,
                                             in.scale, in.pan, in.pointer);
  DrawFrameOptions options;
  overlays.hint = in.hint;
  if (!overlays.Empty()) options.overlays = &overlays;
  options.noSignal = in.noSignal;
  const MeasureOverlays measure = MeasureOverlaysOf(state_.measuring);
  if (!measure.Empty()) options.measure = &measure;
  options.placement = in.placement;
  if (in.recordingSecond >= 0) options.recordingSeconds = static_cast<double>(in.recordingSecond);
  const auto g = renderer.Draw(dc, in.client, block, in.scale, in.pan, options);
  if (g) {
    WriteBack(state_.panX, in.pan.x, g->panX);
    WriteBack(state_.panY, in.pan.y, g->panY);
    ++frames_;
    state_.live.meter.OnShown(FrameRateMeter::Clock::now(), frame.Stamp().number);
    // Wine pushes a window's drawing to the X server only when the drawing thread looks at
    // its message queue (or 50 ms later): without this, at most 15-20 pictures a second
    // reach the screen. On Windows it is a cheap no-op.
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  }
  if (trace_ == Trace::AfterEachFrame) TraceToMonitor("PRINT OK");
  return g;
}

}  // namespace display
