#include <windows.h>

#include <utility>

#include "platform/shared_library.h"

namespace vyrn::platform {

bool SharedLibrary::load(const std::wstring& path, int& errorCode) {
  unload();
  // No "cannot load" message boxes: a damaged file is an error code, not a dialog.
  DWORD previousMode = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  HMODULE module = ::LoadLibraryW(path.c_str());
  const DWORD error = ::GetLastError();
  ::SetThreadErrorMode(previousMode, nullptr);
  if (module == nullptr) {
    errorCode = static_cast<int>(error);
    return false;
  }
  handle_ = module;
  return true;
}

void* SharedLibrary::symbol(const char* name, int& errorCode) const {
  if (handle_ == nullptr) {
    errorCode = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  FARPROC address = ::GetProcAddress(static_cast<HMODULE>(handle_), name);
  if (address == nullptr) {
    errorCode = static_cast<int>(::GetLastError());
    return nullptr;
  }
  return reinterpret_cast<void*>(address);
}

void SharedLibrary::unload() {
  if (handle_ != nullptr) ::FreeLibrary(static_cast<HMODULE>(std::exchange(handle_, nullptr)));
}

}  // namespace vyrn::platform
