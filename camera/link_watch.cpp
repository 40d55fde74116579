#include "camera/link_watch.h"

#include <utility>

#include "camera/camera_link.h"

LinkWatch::LinkWatch(std::function<void()> look) noexcept
    : look_(std::move(look)),
      stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool LinkWatch::Start() noexcept {
  if (thread_ || !stop_) return false;
  ::ResetEvent(stop_.get());
  thread_.reset(::CreateThread(nullptr, 0, &LinkWatch::Entry, this, 0, nullptr));
  return static_cast<bool>(thread_);
}

void LinkWatch::Stop() noexcept {
  if (!thread_) return;
  ::SetEvent(stop_.get());
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

void LinkWatch::Wake() noexcept {
  if (wake_) ::SetEvent(wake_.get());
}

DWORD WINAPI LinkWatch::Entry(LPVOID self) noexcept {
  static_cast<LinkWatch*>(self)->Run();
  return 0;
}

void LinkWatch::Run() noexcept {
  const HANDLE events[] = {stop_.get(), wake_.get()};
  const DWORD count = wake_ ? 2 : 1;
  for (;;) {
    const DWORD woken = ::WaitForMultipleObjects(count, events, FALSE, kLinkLookIntervalMs);
    if (woken != WAIT_TIMEOUT && woken != WAIT_OBJECT_0 + 1) return;  // stopped, or no way to wait
    look_();
  }
}
