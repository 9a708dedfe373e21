#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/posix/native_path.h"

namespace vyrn::platform {
namespace {

using posix::nativePath;

thread_local int tLastError = 0;

template <typename T>
T remember(T result) {
  tLastError = errno;
  return result;
}

}  // namespace

UniqueFile openFile(const std::wstring& path, const char* mode) {
  errno = 0;
  return remember(UniqueFile(std::fopen(nativePath(path).c_str(), mode)));
}

bool pathExists(const std::wstring& path) {
  struct stat info {};
  return remember(::stat(nativePath(path).c_str(), &info) == 0);
}

int createFolder(const std::wstring& path) {
  if (::mkdir(nativePath(path).c_str(), 0777) == 0) return 0;
  tLastError = errno;
  return errno != 0 ? errno : -1;
}

bool replaceFile(const std::wstring& source, const std::wstring& target) {
  return remember(std::rename(nativePath(source).c_str(), nativePath(target).c_str()) == 0);
}

bool deleteFile(const std::wstring& path) { return remember(::unlink(nativePath(path).c_str()) == 0); }

std::int64_t fileLength(const std::wstring& path) {
  struct stat info {};
  if (remember(::stat(nativePath(path).c_str(), &info)) != 0 || !S_ISREG(info.st_mode)) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

int lastErrorCode() { return tLastError; }

std::string lastErrorText() { return std::strerror(tLastError); }

}  // namespace vyrn::platform
