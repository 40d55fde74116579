#pragma once
// The framework's critical section: recursive, so a thread that holds it may take it again.
#include <windows.h>

class CCriticalSection {
 public:
  CCriticalSection() noexcept { ::InitializeCriticalSection(&cs_); }
  ~CCriticalSection() { ::DeleteCriticalSection(&cs_); }
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

  void Lock() noexcept { ::EnterCriticalSection(&cs_); }
  void Unlock() noexcept { ::LeaveCriticalSection(&cs_); }
  // Standard Lockable names, so std::lock_guard and std::scoped_lock work with it.
  void lock() noexcept { Lock(); }
  void unlock() noexcept { Unlock(); }
  bool try_lock() noexcept { return ::TryEnterCriticalSection(&cs_) != FALSE; }

 private:
  CRITICAL_SECTION cs_;
};
