#include "tools/soak/process_probe.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cwchar>
#include <vector>

#include "framework/handles.h"

namespace soak {
namespace {

constexpr std::size_t kGdiEntrySize = 24;  // object pointer, owner, kind and generation, type, flags, user pointer
constexpr std::size_t kGdiKindByte = 12;   // the object's kind in its low 7 bits
constexpr std::size_t kGdiTypeByte = 14;   // 0 for a free entry
constexpr std::size_t kGdiEntries = 0x10000;
constexpr std::size_t kPebGdiTableOffset = 0xF8;  // PEB.GdiSharedHandleTable, 64-bit

// SystemHandleInformation: every kernel handle of the system with its owner.
struct SystemHandleEntry {
  ULONG processId;
  BYTE objectType;
  BYTE flags;
  USHORT handle;
  PVOID object;
  ACCESS_MASK access;
};
constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

// Every kernel handle of the process, from the system's list of all handles.
std::vector<SystemHandleEntry> ProcessHandles(DWORD processId) {
  std::vector<std::uint8_t> buffer(1 << 20);
  for (int attempt = 0; attempt < 6; ++attempt) {
    ULONG needed = 0;
    const NTSTATUS status =
        ::NtQuerySystemInformation(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status >= 0) {
      const ULONG entries = *reinterpret_cast<const ULONG*>(buffer.data());
      const auto* entry = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(void*));
      std::vector<SystemHandleEntry> mine;
      for (ULONG i = 0; i < entries; ++i)
        if (entry[i].processId == processId) mine.push_back(entry[i]);
      return mine;
    }
    buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
  }
  return {};
}

// The kind of another process's handle, through a copy of it in this process.
std::wstring HandleKind(HANDLE process, USHORT handle) {
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(process, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(handle)), ::GetCurrentProcess(),
                         &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return L"(not copied)";
  const fw::UniqueKernelHandle owned(copy);
  alignas(8) std::uint8_t info[1024] = {};
  ULONG length = 0;
  if (::NtQueryObject(copy, ObjectTypeInformation, info, sizeof info, &length) < 0) return L"(unknown)";
  const auto* type = reinterpret_cast<const UNICODE_STRING*>(info);
  std::wstring kind(type->Buffer, type->Length / sizeof(wchar_t));
  if (kind == L"Key" &&
      ::NtQueryObject(copy, static_cast<OBJECT_INFORMATION_CLASS>(1), info, sizeof info, &length) >= 0) {
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(info);  // ObjectNameInformation
    kind += L" " + std::wstring(name->Buffer, name->Length / sizeof(wchar_t));
  }
  return kind;
}

// Wine keeps each process's GDI handle table in the process itself; the PEB points to it.
std::vector<std::uint8_t> ReadGdiTable(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  if (::NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &length) < 0) return {};
  std::uint64_t table = 0;
  SIZE_T read = 0;
  if (!::ReadProcessMemory(process, reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress) + kPebGdiTableOffset,
                           &table, sizeof table, &read) ||
      table == 0)
    return {};
  std::vector<std::uint8_t> entries(kGdiEntries * kGdiEntrySize);
  if (!::ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &read))
    return {};
  entries.resize(read);
  return entries;
}

long CountGdiObjects(HANDLE process) {
  if (const DWORD count = ::GetGuiResources(process, GR_GDIOBJECTS)) return static_cast<long>(count);
  return CountLiveGdiEntries(ReadGdiTable(process));
}

void CountWindowsUnder(HWND parent, long& count) {
  ::EnumChildWindows(
      parent,
      [](HWND, LPARAM lp) -> BOOL {
        ++*reinterpret_cast<long*>(lp);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
}

// Every window of the process: top-level (shown or not), their children, and message-only ones.
std::vector<HWND> ProcessWindows(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->processId) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  for (HWND w = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = ::FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == processId) search.found.push_back(w);
  }
  return search.found;
}

long CountUserObjects(HANDLE process, DWORD processId) {
  if (const DWORD count = ::GetGuiResources(process, GR_USEROBJECTS)) return static_cast<long>(count);
  const std::vector<HWND> windows = ProcessWindows(processId);
  long count = static_cast<long>(windows.size());
  for (HWND w : windows) CountWindowsUnder(w, count);
  return count;
}

long CountThreads(DWORD processId) {
  const fw::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  long count = 0;
  for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
    count += entry.th32OwnerProcessID == processId;
  return count;
}

// Kernel handles, with the file dialog's registry keys apart: under Wine 8 every Save in the
// common file dialog leaves a handle to ...\Explorer\ComDlg32\LastVisitedMRU open.
void CountKernelHandles(HANDLE process, DWORD processId, ProcessFigures& f) {
  const std::vector<SystemHandleEntry> handles = ProcessHandles(processId);
  if (handles.empty()) {
    DWORD count = 0;
    if (::GetProcessHandleCount(process, &count)) f.handles = static_cast<long>(count);
    return;
  }
  for (const SystemHandleEntry& h : handles) {
    if (HandleKind(process, h.handle).find(L"\\ComDlg32\\") != std::wstring::npos) {
      ++f.fileDialogKeys;
    } else {
      ++f.handles;
    }
  }
}

}  // namespace

std::map<std::wstring, long> KernelHandleKinds(HANDLE process, DWORD processId) {
  std::map<std::wstring, long> kinds;
  for (const SystemHandleEntry& h : ProcessHandles(processId)) ++kinds[HandleKind(process, h.handle)];
  return kinds;
}

std::map<std::wstring, long> GdiObjectKinds(HANDLE process) {
  // Wine's NTGDI_OBJ_* kinds; any other is shown by its number.
  static const std::map<int, const wchar_t*> kNames = {
      {0x01, L"DC"},    {0x04, L"region"},  {0x08, L"palette"},    {0x09, L"bitmap"}, {0x0a, L"font"},
      {0x10, L"brush"}, {0x21, L"EMF DC"},  {0x26, L"metafile"},   {0x30, L"pen"},    {0x41, L"memory DC"},
      {0x46, L"EMF"},   {0x50, L"ext pen"}, {0x66, L"metafile DC"}};
  std::map<std::wstring, long> kinds;
  for (const auto& [type, count] : CountGdiEntryKinds(ReadGdiTable(process))) {
    const auto name = kNames.find(type);
    wchar_t number[16];
    std::swprintf(number, 16, L"kind 0x%02x", type);
    kinds[name != kNames.end() ? name->second : number] += count;
  }
  return kinds;
}

std::map<int, long> CountGdiEntryKinds(std::span<const std::uint8_t> table) {
  std::map<int, long> types;
  for (std::size_t at = 0; at + kGdiEntrySize <= table.size(); at += kGdiEntrySize)
    if (table[at + kGdiTypeByte] != 0) ++types[table[at + kGdiKindByte] & 0x7f];
  return types;
}

long CountLiveGdiEntries(std::span<const std::uint8_t> table) noexcept {
  long live = 0;
  for (std::size_t at = 0; at + kGdiEntrySize <= table.size(); at += kGdiEntrySize)
    live += table[at + kGdiTypeByte] != 0;
  return live;
}

ProcessFigures SampleProcess(HANDLE process, DWORD processId) {
  ProcessFigures f;
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    // Wine leaves PrivateUsage at 0 and gives its resident private memory as the page-file use.
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    f.privateMb = static_cast<double>(privateBytes) / (1024.0 * 1024.0);
    f.residentMb = static_cast<double>(memory.WorkingSetSize) / (1024.0 * 1024.0);
  }
  CountKernelHandles(process, processId, f);
  f.gdiObjects = CountGdiObjects(process);
  f.userObjects = CountUserObjects(process, processId);
  f.threads = CountThreads(processId);
  return f;
}

bool EveryWindowAnswers(DWORD processId, UINT timeoutMs) {
  for (HWND w : ProcessWindows(processId)) {
    DWORD_PTR result = 0;
    if (::IsWindow(w) && !::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result) &&
        ::IsWindow(w))
      return false;
  }
  return true;
}

}  // namespace soak
