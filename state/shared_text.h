#pragma once
// A short text that one thread sets now and then and others read often (each frame): a copy
// is taken under its own small lock.
#include <mutex>
#include <string>

class SharedText {
 public:
  // True when the text changed.
  bool Set(std::wstring text) {
    std::lock_guard lock(mutex_);
    if (text == text_) return false;
    text_ = std::move(text);
    return true;
  }
  std::wstring Get() const {
    std::lock_guard lock(mutex_);
    return text_;
  }

 private:
  mutable std::mutex mutex_;
  std::wstring text_;
};
