#pragma once
// Resources embedded in the program's own module (Windows resource section).
// Native builds have no resource section: there a process-wide table stands
// in for it, which tests fill with registerResource.

#include <cstddef>
#include <string>

namespace vyrn::platform {

enum class ResourceStatus {
  Found,
  NotFound,    // no resource of that type and id
  Empty,       // found, but its size is 0
  LoadFailed,  // its data could not be loaded
  LockFailed,  // its data could not be mapped to memory
};

struct ResourceData {
  ResourceStatus status = ResourceStatus::NotFound;
  const void* data = nullptr;  // owned by the module; valid for the process's life
  std::size_t size = 0;
};

// Looks up the resource with the given type name (matched without regard to
// case) and numeric id, in any language.
ResourceData findOwnResource(const std::wstring& type, int id);

#ifndef _WIN32
// Adds (or replaces) a resource in the native table.
void registerResource(const std::wstring& type, int id, std::string bytes);
#endif

}  // namespace vyrn::platform
