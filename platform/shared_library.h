#pragma once
// A dynamically loaded library (DLL natively .so), unloaded by its owner.

#include <string>

namespace vyrn::platform {

class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary() { unload(); }
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;

  // Loads the library file at path (unloading any previous one). On failure
  // returns false and sets errorCode to the system's code (Windows: the
  // loader's GetLastError; natively errno, or ENOEXEC for a file that is not
  // a loadable library).
  bool load(const std::wstring& path, int& errorCode);

  // Address of an exported symbol, or null with errorCode set (Windows:
  // GetLastError; natively ENOSYS, as dlsym has no error code).
  void* symbol(const char* name, int& errorCode) const;

  bool loaded() const { return handle_ != nullptr; }
  void unload();

 private:
  void* handle_ = nullptr;
};

}  // namespace vyrn::platform
