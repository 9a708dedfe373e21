#include <windows.h>

#include "platform/resources.h"

namespace vyrn::platform {

ResourceData findOwnResource(const std::wstring& type, int id) {
  ResourceData result;
  HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), type.c_str());
  if (info == nullptr) return result;
  const DWORD size = ::SizeofResource(nullptr, info);
  if (size == 0) {
    result.status = ResourceStatus::Empty;
    return result;
  }
  // Resource memory belongs to the module: there is nothing to free.
  HGLOBAL loaded = ::LoadResource(nullptr, info);
  if (loaded == nullptr) {
    result.status = ResourceStatus::LoadFailed;
    return result;
  }
  const void* data = ::LockResource(loaded);
  if (data == nullptr) {
    result.status = ResourceStatus::LockFailed;
    return result;
  }
  result.status = ResourceStatus::Found;
  result.data = data;
  result.size = size;
  return result;
}

}  // namespace vyrn::platform
