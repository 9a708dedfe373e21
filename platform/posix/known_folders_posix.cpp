#include <cstdlib>

#include "platform/code_page.h"
#include "platform/known_folders.h"

namespace vyrn::platform {

// VYRN_LOCAL_APPDATA lets tests give each run a folder of its own.
std::wstring localAppDataFolder(WindowHandle) {
  if (const char* dir = std::getenv("VYRN_LOCAL_APPDATA"); dir && *dir) return toWide(CodePage::Utf8, dir);
  if (const char* dir = std::getenv("XDG_DATA_HOME"); dir && *dir) return toWide(CodePage::Utf8, dir);
  if (const char* home = std::getenv("HOME"); home && *home) return toWide(CodePage::Utf8, std::string(home) + "/.local/share");
  return {};
}

std::wstring temporaryFolder() {
  const char* dir = std::getenv("TMPDIR");
  std::wstring result = toWide(CodePage::Utf8, dir && *dir ? dir : "/tmp");
  while (result.size() > 1 && result.back() == L'/') result.pop_back();
  return result;
}

}  // namespace vyrn::platform
