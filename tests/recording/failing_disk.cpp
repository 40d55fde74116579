#include "tests/recording/failing_disk.h"

#include <algorithm>

#include "framework/handles.h"

namespace testing_support {
namespace {

using q7::recording::ByteSink;

class FailingSink : public ByteSink {
 public:
  FailingSink(std::unique_ptr<ByteSink> file, std::uint64_t room, DWORD error)
      : file_(std::move(file)), room_(room), error_(HRESULT_FROM_WIN32(error)), fillsUp_(error == ERROR_DISK_FULL) {}

  HRESULT Append(std::span<const std::uint8_t> bytes) override {
    if (broken_) return error_;
    const std::uint64_t fits = room_ > file_->End() ? room_ - file_->End() : 0;
    if (bytes.size() <= fits) return file_->Append(bytes);
    if (fillsUp_) file_->Append(bytes.first(static_cast<std::size_t>(fits)));
    broken_ = !fillsUp_;
    return error_;
  }
  HRESULT WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) override {
    return broken_ ? error_ : file_->WriteAt(offset, bytes);
  }
  HRESULT Truncate(std::uint64_t size) override { return broken_ ? error_ : file_->Truncate(size); }
  HRESULT Flush() override { return broken_ ? error_ : file_->Flush(); }
  std::uint64_t End() const override { return file_->End(); }

 private:
  std::unique_ptr<ByteSink> file_;
  const std::uint64_t room_;
  const HRESULT error_;
  const bool fillsUp_;
  bool broken_ = false;  // a drive that went away answers nothing any more
};

}  // namespace

std::function<std::unique_ptr<ByteSink>(const std::wstring&, HRESULT&)> FailingDisk(std::uint64_t room, DWORD error) {
  return [room, error](const std::wstring& path, HRESULT& result) -> std::unique_ptr<ByteSink> {
    std::unique_ptr<ByteSink> file = q7::recording::CreateFileSink(path, result);
    if (!file) return nullptr;
    return std::make_unique<FailingSink>(std::move(file), room, error);
  };
}

HRESULT ReadWhileOpen(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  const fw::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return HRESULT_FROM_WIN32(::GetLastError());
  LARGE_INTEGER size{};
  HRESULT hr = ::GetFileSizeEx(file.get(), &size) ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
  if (SUCCEEDED(hr)) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
      hr = E_FAIL;
  }
  return hr;
}

}  // namespace testing_support
