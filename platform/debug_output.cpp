#include "platform/debug_output.h"

#include <mutex>

namespace vyrn::platform {

void writeDebugLineNative(const std::string& line);
void writeDebugLineNativeWide(const std::wstring& line);

namespace {
std::mutex& observerMutex() {
  static std::mutex mutex;
  return mutex;
}
DebugObserver& observerSlot() {
  static DebugObserver observer;
  return observer;
}
}  // namespace

void setDebugObserver(DebugObserver observer) {
  std::lock_guard<std::mutex> lock(observerMutex());
  observerSlot() = std::move(observer);
}

void debugOutput(const std::string& line) {
  writeDebugLineNative(line);
  std::lock_guard<std::mutex> lock(observerMutex());
  if (observerSlot()) observerSlot()(DebugLine{false, line, {}});
}

void debugOutputWide(const std::wstring& line) {
  writeDebugLineNativeWide(line);
  std::lock_guard<std::mutex> lock(observerMutex());
  if (observerSlot()) observerSlot()(DebugLine{true, {}, line});
}

}  // namespace vyrn::platform
