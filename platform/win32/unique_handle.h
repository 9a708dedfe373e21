#pragma once
// Small owners for Win32 handles, so every path closes what it opened.

#include <windows.h>

#include <utility>

namespace vyrn::platform::win32 {

template <typename Handle, typename Traits>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(Handle handle) : handle_(handle) {}
  ~UniqueResource() { reset(); }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, Traits::invalid());
    }
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::invalid(); }
  Handle release() { return std::exchange(handle_, Traits::invalid()); }
  void reset(Handle handle = Traits::invalid()) {
    if (handle_ != Traits::invalid()) Traits::close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {  // handles whose "none" is null (mutexes, threads, events)
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE handle) { ::CloseHandle(handle); }
};
struct FileHandleTraits {  // CreateFileW's "none" is INVALID_HANDLE_VALUE
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE handle) { ::CloseHandle(handle); }
};
struct ModuleTraits {
  static HMODULE invalid() { return nullptr; }
  static void close(HMODULE module) { ::FreeLibrary(module); }
};

using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueFileHandle = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;

}  // namespace vyrn::platform::win32
