#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

// HKEY_CURRENT_USER of this process redirected to a key of its own, so the settings of
// another test program running at the same time never mix with these.
class PrivateCurrentUser {
 public:
  PrivateCurrentUser() {
    path_ = L"Software\\Q7ViewerTests\\" + std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    ok_ = key_ && ::RegOverridePredefKey(HKEY_CURRENT_USER, key_) == ERROR_SUCCESS;
  }
  ~PrivateCurrentUser() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (key_) ::RegCloseKey(key_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  PrivateCurrentUser(const PrivateCurrentUser&) = delete;
  PrivateCurrentUser& operator=(const PrivateCurrentUser&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;  // owned; closed in the destructor
  bool ok_ = false;
};

}  // namespace testing_support
