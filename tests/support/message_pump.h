#pragma once
// Running this thread's messages in tests, as the program's modal loop would: each message is
// pre-translated through the framework first.
#include <windows.h>

#include <functional>

namespace testing_support {

// Runs the messages waiting now.
void PumpPending();
// Runs messages until `done` holds; false when `limitMs` passed first.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs);
// Runs messages for `ms` milliseconds.
void PumpFor(DWORD ms);

}  // namespace testing_support
