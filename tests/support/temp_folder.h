#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <atomic>
#include <filesystem>
#include <string>

#include "device/text_encoding.h"
#include "platform/code_page.h"

namespace vyrn::test {

// A launcher path (narrow, ANSI code page, "\\" separators) as a filesystem path.
inline std::filesystem::path fsPath(const std::string& launcherPath) {
  std::wstring wide = ansiToWide(launcherPath);
#ifndef _WIN32
  for (auto& ch : wide)
    if (ch == L'\\') ch = L'/';
  return std::filesystem::path(platform::fromWide(platform::CodePage::Utf8, wide));
#else
  return std::filesystem::path(wide);
#endif
}

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("vyrn-test-" + std::to_string(processId()) + "-" + std::to_string(counter++));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as the launcher's narrow (ANSI code page) path text.
  std::string narrow() const {
#ifdef _WIN32
    return wideToAnsi(path_.wstring());
#else
    return path_.string();
#endif
  }

 private:
  static long processId();
  std::filesystem::path path_;
};

}  // namespace vyrn::test
