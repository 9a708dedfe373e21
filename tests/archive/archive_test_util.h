#pragma once
// Shared pieces of the archive tests: paths of the made archives and a
// snapshot of a folder tree to compare extraction results with.

#include <filesystem>
#include <map>
#include <string>

#include "archive_test_paths.h"
#include "platform/code_page.h"
#include "support/file_util.h"

namespace vyrn::test {

namespace fs = std::filesystem;

inline std::wstring widePath(const fs::path& path) {
#ifdef _WIN32
  return path.wstring();
#else
  return platform::toWide(platform::CodePage::Utf8, path.string());
#endif
}

inline fs::path archivesFolder() { return fs::path(VYRN_TEST_ARCHIVES); }
inline std::wstring archivePath(const char* name) { return widePath(archivesFolder() / name); }
inline std::wstring modulePath() { return widePath(fs::path(VYRN_TEST_7Z_MODULE)); }

// Relative path (generic form, UTF-8) -> file content, or "<folder>".
inline std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const auto relative = fs::relative(entry.path(), root);
    const auto key = relative.generic_u8string();
    entries[std::string(key.begin(), key.end())] = entry.is_directory() ? "<folder>" : readBytes(entry.path());
  }
  return entries;
}

}  // namespace vyrn::test
