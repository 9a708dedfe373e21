#pragma once

#include <string>

#include "platform/code_page.h"

namespace vyrn::platform::posix {

// A launcher path (wide, "\\" separators) as this system's UTF-8 path.
inline std::string nativePath(const std::wstring& path) {
  std::wstring unixPath = path;
  for (auto& ch : unixPath)
    if (ch == L'\\') ch = L'/';
  return fromWide(CodePage::Utf8, unixPath);
}

}  // namespace vyrn::platform::posix
