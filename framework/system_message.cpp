#include "framework/system_message.h"

std::wstring SystemMessage(DWORD error) {
  // An HRESULT that wraps a Win32 code reads as that code's text.
  const HRESULT asResult = static_cast<HRESULT>(error);
  const DWORD code = HRESULT_FACILITY(asResult) == FACILITY_WIN32 ? HRESULT_CODE(asResult) : error;
  wchar_t* text = nullptr;  // allocated by FormatMessageW, freed with LocalFree
  ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::wstring message = text ? text : L"";
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? L"error " + std::to_wstring(code) : message;
}
