#include <cstdio>
#include <string>

#include "platform/code_page.h"

namespace vyrn::platform {

// Natively the lines go to standard error, one per call.
void writeDebugLineNative(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

void writeDebugLineNativeWide(const std::wstring& line) {
  std::fprintf(stderr, "%s\n", fromWide(CodePage::Utf8, line).c_str());
}

}  // namespace vyrn::platform
