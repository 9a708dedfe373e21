#pragma once
// Records the launcher's debug lines while it is alive, from every thread.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/debug_output.h"

namespace vyrn::test {

class DebugCapture {
 public:
  DebugCapture() {
    platform::setDebugObserver([this](const platform::DebugLine& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
      changed_.notify_all();
    });
  }
  ~DebugCapture() { platform::setDebugObserver(nullptr); }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  // The narrow lines so far, in order.
  std::vector<std::string> narrowLines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> result;
    for (const auto& line : lines_)
      if (!line.wide) result.push_back(line.narrow);
    return result;
  }
  std::vector<std::wstring> wideLines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::wstring> result;
    for (const auto& line : lines_)
      if (line.wide) result.push_back(line.wideText);
    return result;
  }
  bool hasLine(const std::string& text) const {
    const auto lines = narrowLines();
    for (const auto& line : lines)
      if (line == text) return true;
    return false;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
  }
  // Waits until a narrow line equals text; false on time-out.
  bool waitForLine(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
      for (const auto& line : lines_)
        if (!line.wide && line.narrow == text) return true;
      return false;
    });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<platform::DebugLine> lines_;
};

}  // namespace vyrn::test
