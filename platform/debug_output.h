#pragma once
// One line of diagnostics per call, on the system debugger output (Windows)
// or standard error (elsewhere). Lines have no timestamp and no level.

#include <functional>
#include <string>

namespace vyrn::platform {

// Narrow lines are bytes in the system code page; wide lines are UTF-16.
void debugOutput(const std::string& line);
void debugOutputWide(const std::wstring& line);

struct DebugLine {
  bool wide = false;
  std::string narrow;     // set when !wide
  std::wstring wideText;  // set when wide
};

// Lets a test see every line in-process, from any thread. An empty function
// removes the observer. The observer is called under a lock: keep it short.
using DebugObserver = std::function<void(const DebugLine&)>;
void setDebugObserver(DebugObserver observer);

}  // namespace vyrn::platform
