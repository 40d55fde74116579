#pragma once
// Where a recording's bytes go: a file that grows at its end, whose earlier bytes (headers,
// sizes) are rewritten in place, cut back after a failure, and flushed to the disk.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "framework/handles.h"

namespace q7::recording {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Adds the bytes at the end. A failure may leave part of them written.
  virtual HRESULT Append(std::span<const std::uint8_t> bytes) = 0;
  // Overwrites bytes that are there already.
  virtual HRESULT WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) = 0;
  // Cuts the file to `size` bytes; the end moves there.
  virtual HRESULT Truncate(std::uint64_t size) = 0;
  // What was written reaches the disk (as a power loss would find it).
  virtual HRESULT Flush() = 0;
  // Where the next Append writes.
  virtual std::uint64_t End() const = 0;
};

// A new file; fails with ERROR_FILE_EXISTS rather than replace one.
std::unique_ptr<ByteSink> CreateFileSink(const std::wstring& path, HRESULT& result);

// The file sink itself, for tests that put a failing disk around it.
class FileSink : public ByteSink {
 public:
  explicit FileSink(fw::UniqueFile file) : file_(std::move(file)) {}
  HRESULT Append(std::span<const std::uint8_t> bytes) override;
  HRESULT WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override;
  HRESULT Truncate(std::uint64_t size) override;
  HRESULT Flush() override;
  std::uint64_t End() const override { return end_; }

 private:
  // Writes at `offset`; `written` counts what reached the file even when it fails.
  HRESULT WriteAtOffset(std::uint64_t offset, std::span<const std::uint8_t> bytes, std::uint64_t& written);

  fw::UniqueFile file_;
  std::uint64_t end_ = 0;
};

}  // namespace q7::recording
