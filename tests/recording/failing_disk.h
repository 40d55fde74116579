#pragma once
// Disks that fail for the recording tests: a file that can grow only so far before its writes
// fail with a chosen error (ERROR_DISK_FULL: what fits is written first; others: nothing more
// at all, as when the folder's drive goes away), and reading a file the writer still holds.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "recording/byte_sink.h"

namespace testing_support {

std::function<std::unique_ptr<q7::recording::ByteSink>(const std::wstring&, HRESULT&)> FailingDisk(std::uint64_t room,
                                                                                                   DWORD error);

HRESULT ReadWhileOpen(const std::wstring& path, std::vector<std::uint8_t>& bytes);

}  // namespace testing_support
