#include "tools/soak/action_log.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>

#include "framework/text_encoding.h"

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

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

}  // namespace soak
