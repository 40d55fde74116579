#pragma once
// Render thread control: the one worker thread that draws the live picture into a view's
// window: once for every new frame and once for every change of zoom, pan or view size, and
// not at all while nothing changes. Each view owns one; it never runs two threads.
//
// The thread reads the shared state (the frame exchange, frame-ready flag, display scale, pan
// offset), waits on its redraw signal, and writes back only the clamped pan offset. Each draw
// reads one frame through one lease: the picture and the live statistics drawn over it come
// from the same frame. It draws through its own DC of the view window and sends the view no
// message, so stopping it from the UI thread is safe.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "display/picture_point.h"
#include "display/render_geometry.h"
#include "framework/handles.h"
#include "state/app_state.h"

namespace display {

class FrameRenderer;
class LiveStatistics;

class RenderThread {
 public:
  enum class Trace { None, AfterEachFrame };

  explicit RenderThread(AppState& state, Trace trace = Trace::None) noexcept;
  ~RenderThread();  // stops the thread
  RenderThread(const RenderThread&) = delete;
  RenderThread& operator=(const RenderThread&) = delete;

  // Starts drawing into `view`; when a thread already runs, returns its handle and does
  // nothing else. Returns null without a window or if the thread cannot be created.
  HANDLE Start(HWND view) noexcept;
  // Asks the thread to stop and waits for it to end; nothing when none runs. Messages sent
  // to this thread's windows meanwhile are still delivered, so a thread blocked in a send
  // to one of them cannot deadlock the wait.
  void Stop() noexcept;

  // Paints the view's picture again after part of it was uncovered: the current frame once
  // the thread has drawn one (so the last picture stays whole while no frames arrive),
  // black before that; a running thread then draws it again with its live views. Called on
  // the view's own thread from its WM_PAINT.
  void Repaint(HDC dc, HWND view);

  // Shows `text` in the middle of the picture for `durationMs` (or until the thread stops):
  // a hint that takes no focus and covers no window.
  void ShowHint(std::wstring text, DWORD durationMs);

  bool IsRunning() const noexcept { return static_cast<bool>(thread_); }
  DWORD ThreadId() const noexcept { return threadId_; }
  // Counters for tests and measurements: passes of the loop, and frames drawn.
  std::uint64_t Passes() const noexcept { return passes_.load(); }
  std::uint64_t FramesDrawn() const noexcept { return frames_.load(); }

 private:
  // What one picture is drawn from; the thread draws again only when this changes.
  struct Inputs {
    std::uint64_t bufferGeneration = 0;  // FrameExchange::Generation
    std::uint64_t frameNumber = 0;       // FrameExchange::NewestNumber
    double scale = 0;
    PanOffset pan;
    RECT client{};
    // The live-information views that are on, and where the pointer is while the
    // information line shows its pixel.
    bool infoLine = false, histogram = false, focus = false;
    unsigned focusSession = 0;
    std::optional<POINT> pointer;
    std::wstring hint;  // shown while due
    bool noSignal = false;
    // The measuring overlays that are on, the lines and calibrations as they were, and where
    // the picture lies on the sensor (the lines are drawn from there).
    bool scaleBar = false, crosshair = false, grid = false;
    std::uint64_t measurements = 0, calibrations = 0;  // generations
    SensorPlacement placement;
    bool operator==(const Inputs& o) const noexcept {
      const bool samePointer = pointer.has_value() == o.pointer.has_value() &&
                               (!pointer || (pointer->x == o.pointer->x && pointer->y == o.pointer->y));
      return bufferGeneration == o.bufferGeneration && frameNumber == o.frameNumber && scale == o.scale &&
             pan == o.pan && ::EqualRect(&client, &o.client) && infoLine == o.infoLine && histogram == o.histogram &&
             focus == o.focus && focusSession == o.focusSession && samePointer && hint == o.hint &&
             noSignal == o.noSignal && scaleBar == o.scaleBar && crosshair == o.crosshair && grid == o.grid &&
             measurements == o.measurements && calibrations == o.calibrations && placement == o.placement;
    }
  };

  static DWORD WINAPI RenderThreadProc(LPVOID param) noexcept;
  void Run();
  Inputs CurrentInputs() const;
  std::optional<RenderGeometry> DrawOnce(HDC dc, FrameRenderer& renderer, LiveStatistics& statistics,
                                         const FrameExchange::Lease& frame, const Inputs& in);
  // The pointer's position in the view while it is over the view, for the information line.
  std::optional<POINT> PointerOverView() const;
  // The hint's text while it is due, else empty.
  std::wstring CurrentHint() const;
  // Waits for a signalled change or a stop request (or a short while); true when asked to stop.
  bool WaitForChange() const noexcept;

  AppState& state_;  // not owned
  const Trace trace_;
  HWND view_ = nullptr;  // not owned: the view that owns this object
  fw::UniqueKernelHandle thread_;
  DWORD threadId_ = 0;
  std::atomic<int> stopRequest_{0};
  fw::UniqueKernelHandle wake_;  // manual-reset, set with the stop request to cut a sleep short
  std::atomic<std::uint64_t> passes_{0};
  std::atomic<std::uint64_t> frames_{0};
  std::atomic<bool> repaintRequested_{false};
  mutable std::mutex hintMutex_;  // guards the two below
  std::wstring hint_;
  ULONGLONG hintUntil_ = 0;  // GetTickCount64 time
};

}  // namespace display
