#include "tools/soak/action_log.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>

namespace soak {

ActionLog::ActionLog(const std::wstring& path) : file_(std::filesystem::path(path)) {}

double ActionLog::Minutes() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count() / 60.0;
}

void ActionLog::Write(const std::string& line) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%8.3f ", Minutes());
  std::lock_guard lock(mutex_);
  file_ << stamp << line << '\n';
  file_.flush();
}

void ActionLog::Tell(const std::string& line) {
  Write(line);
  std::lock_guard lock(mutex_);
  std::printf("[%5.1f min] %s\n", Minutes(), line.c_str());
  std::fflush(stdout);
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr, nullptr);
  return narrow;
}

}  // namespace soak
