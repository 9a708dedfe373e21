#pragma once
// Files and folders by wide path. Paths use the Windows separator "\";
// elsewhere it is mapped to "/" so the same code runs natively in tests.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vyrn::platform {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen with a C mode string ("rb", "wb", "ab+", ...). Null on failure.
UniqueFile openFile(const std::wstring& path, const char* mode);

// True when anything (file or folder) exists at path.
bool pathExists(const std::wstring& path);

// 0 on success, otherwise the system's non-zero error code.
int createFolder(const std::wstring& path);

// Replaces target with source in one step (same folder), so a reader sees
// either the old or the new file, never a half-written one.
bool replaceFile(const std::wstring& source, const std::wstring& target);

// Deletes a file, a read-only one too.
bool deleteFile(const std::wstring& path);

// Length of the file in bytes, or -1 when it cannot be read.
std::int64_t fileLength(const std::wstring& path);

// The calling thread's last system error and its description.
int lastErrorCode();
std::string lastErrorText();

}  // namespace vyrn::platform
