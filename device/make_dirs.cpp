#include "device/make_dirs.h"

#include "device/text_encoding.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace vyrn {

int makeDirs(std::string path) {
  constexpr size_t kMaxPath = 259;
  if (path.size() > kMaxPath) return -1;
  for (size_t i = 0; i < path.size(); ++i) {
    // The second byte of a double-byte character may equal "\": step over it.
    if (platform::isLeadByte(platform::CodePage::Ansi, static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (path[i] != '\\' && path[i] != '/') continue;
    const std::wstring folder = ansiToWide(path.substr(0, i + 1));
    if (platform::pathExists(folder)) continue;
    if (const int result = platform::createFolder(folder); result != 0) return result;
  }
  return 0;
}

}  // namespace vyrn
