#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/native_path.h"
#include "platform/shared_library.h"

namespace vyrn::platform {

bool SharedLibrary::load(const std::wstring& path, int& errorCode) {
  unload();
  const std::string native = posix::nativePath(path);
  // dlopen reports only text; probing the file first gives a real errno for
  // the common cases (missing, not readable).
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    errorCode = errno;
    return false;
  }
  ::close(fd);
  handle_ = ::dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    errorCode = ENOEXEC;
    return false;
  }
  return true;
}

void* SharedLibrary::symbol(const char* name, int& errorCode) const {
  void* address = handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
  if (address == nullptr) errorCode = ENOSYS;
  return address;
}

void SharedLibrary::unload() {
  if (handle_ != nullptr) ::dlclose(std::exchange(handle_, nullptr));
}

}  // namespace vyrn::platform
