#include "camera/link_watch.h"

#include "camera/camera.h"

LinkWatchThread::LinkWatchThread(CCamera& camera, HANDLE wake) noexcept
    : camera_(camera), wake_(wake), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool LinkWatchThread::Start() noexcept {
  if (thread_ || !stop_) return false;
  ::ResetEvent(stop_.get());
  thread_.reset(::CreateThread(nullptr, 0, &LinkWatchThread::Entry, this, 0, nullptr));
  return static_cast<bool>(thread_);
}

void LinkWatchThread::Stop() noexcept {
  if (!thread_) return;
  ::SetEvent(stop_.get());
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

DWORD WINAPI LinkWatchThread::Entry(LPVOID self) noexcept {
  static_cast<LinkWatchThread*>(self)->Run();
  return 0;
}

void LinkWatchThread::Run() noexcept {
  const HANDLE events[] = {stop_.get(), wake_};
  const DWORD count = wake_ ? 2 : 1;
  for (;;) {
    const DWORD woken = ::WaitForMultipleObjects(count, events, FALSE, kLinkLookIntervalMs);
    if (woken != WAIT_TIMEOUT && woken != WAIT_OBJECT_0 + 1) return;  // stopped, or no way to wait
    camera_.LookAtLink();
  }
}
