#pragma once
// What a soak samples of the program's process from outside: memory, kernel handles, GDI and
// USER objects, threads, and whether its windows answer. Under Wine, where GetGuiResources,
// GetProcessHandleCount and the private-bytes counter of another process read 0, each figure
// comes from the nearest source that works there (said at each function).
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace soak {

struct ProcessFigures {
  double privateMb = 0.0;   // private bytes; under Wine its resident private memory (RssAnon + swap)
  double residentMb = 0.0;  // working set (resident)
  long handles = 0;         // kernel handles, but for the file dialog's registry keys:
  long fileDialogKeys = 0;  // keys Wine's file dialog opens and never closes, one per Save
  long gdiObjects = 0;
  long userObjects = 0;  // under Wine: the process's windows, shown or not
  long threads = 0;
};

ProcessFigures SampleProcess(HANDLE process, DWORD processId);

// The process's kernel handles by kind ("Event", "Thread", "File", ...), with their counts:
// where a count of handles grows, which kind grows.
// Registry keys are given with their names ("Key \\REGISTRY\\USER\\...").
std::map<std::wstring, long> KernelHandleKinds(HANDLE process, DWORD processId);
// The process's GDI objects by kind ("bitmap", "DC", "font", ...), with their counts; empty
// where the table cannot be read.
std::map<std::wstring, long> GdiObjectKinds(HANDLE process);

// Whether every window of the process answers a message within `timeoutMs`.
bool EveryWindowAnswers(DWORD processId, UINT timeoutMs);

// The live entries of a GDI handle table as Wine keeps it in the process (the PEB's
// GdiSharedHandleTable: 24-byte entries; byte 14, the type, is not 0 while the object lives, and
// the low 7 bits of byte 12 give its kind).
long CountLiveGdiEntries(std::span<const std::uint8_t> table) noexcept;
// The kind of each live entry, with its count.
std::map<int, long> CountGdiEntryKinds(std::span<const std::uint8_t> table);

}  // namespace soak
