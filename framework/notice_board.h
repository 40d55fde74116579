#pragma once
// Message boxes that worker threads raise, shown on the user-interface thread. A worker
// must not show a box itself: it would be ownerless, could fall behind a modal dialog and
// would keep the worker waiting for OK. The board queues the notice and posts its message
// to the window it is attached to; that window's handler calls ShowQueued, which shows each
// box owned by the window the user is working in (a modal dialog of it, if one is open).
#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>

class CNoticeBoard {
 public:
  explicit CNoticeBoard(UINT message) noexcept : message_(message) {}
  CNoticeBoard(const CNoticeBoard&) = delete;
  CNoticeBoard& operator=(const CNoticeBoard&) = delete;

  // The window whose thread shows the notices; null detaches (notices then show at once,
  // ownerless, as there is no window to own them).
  void Attach(HWND window) noexcept { window_.store(window); }
  UINT Message() const noexcept { return message_; }

  // From any thread: on the attached window's thread the box shows now, elsewhere it is
  // queued for that thread.
  void Notify(const std::wstring& text, const std::wstring& caption, UINT style);
  // On the attached window's thread, from the handler of Message(): shows what is queued.
  void ShowQueued();

 private:
  struct Notice {
    std::wstring text;
    std::wstring caption;
    UINT style = MB_OK;
  };
  static void Show(HWND window, const Notice& notice);

  const UINT message_;
  std::atomic<HWND> window_{nullptr};  // not owned
  std::mutex mutex_;                   // guards queue_
  std::deque<Notice> queue_;
};
