#pragma once
// The box the panel's controllers tell the user in when something went wrong.
#include <windows.h>

#include <string>

// A warning box owned by what the user works in: a dialog the panel has open (its last active
// popup), or the panel; ownerless once the panel is gone from the screen.
void TellUserOverPanel(HWND panel, const std::wstring& text);
