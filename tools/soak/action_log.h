#pragma once
// The soak's running account: every action, box and event with its minute, to a file and,
// for what matters, to the console. Any thread may write.
#include <chrono>
#include <fstream>
#include <mutex>
#include <string>

namespace soak {

class ActionLog {
 public:
  explicit ActionLog(const std::wstring& path);
  // Minutes since the log was opened (the program's start).
  double Minutes() const;
  void Write(const std::string& line);
  // Also to the console.
  void Tell(const std::string& line);

 private:
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::mutex mutex_;
  std::ofstream file_;
};

std::string Narrow(const std::wstring& text);

}  // namespace soak
