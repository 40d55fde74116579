#include "framework/notice_board.h"

#include <utility>

void CNoticeBoard::Notify(const std::wstring& text, const std::wstring& caption, UINT style) {
  Notice notice{text, caption, style};
  const HWND window = window_.load();
  if (!window || ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
    Show(window, notice);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(notice));
  }
  // Posted, never sent: the window's thread may be waiting for this worker to end.
  ::PostMessageW(window, message_, 0, 0);
}

void CNoticeBoard::ShowQueued() {
  for (;;) {
    Notice notice;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return;
      notice = std::move(queue_.front());
      queue_.pop_front();
    }
    Show(window_.load(), notice);
  }
}

void CNoticeBoard::Show(HWND window, const Notice& notice) {
  // The box belongs to what the user is working in: a modal dialog the window has open
  // (its last active popup) or the window itself; it leaves other windows' order alone.
  HWND owner = window ? ::GetLastActivePopup(window) : nullptr;
  if (owner && !::IsWindowEnabled(owner)) owner = window;
  ::MessageBoxW(owner, notice.text.c_str(), notice.caption.c_str(), notice.style);
}
