#pragma once
// COM for the calling thread, for as long as the object lives.
#include <windows.h>
#include <objbase.h>

class ComApartment {
 public:
  ComApartment() noexcept : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  // A thread already in a multithreaded apartment (RPC_E_CHANGED_MODE) can use COM as it is.
  HRESULT Result() const noexcept { return result_ == RPC_E_CHANGED_MODE ? S_OK : result_; }

 private:
  HRESULT result_;
};
