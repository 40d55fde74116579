#pragma once
// The system's own text for a Win32 error code (or an HRESULT made from one).
#include <windows.h>

#include <string>

// Without the trailing line break; "error N" when the system has no text for the code.
std::wstring SystemMessage(DWORD code);
