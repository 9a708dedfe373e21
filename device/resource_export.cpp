#include "device/resource_export.h"

#include <cstdio>

#include "device/make_dirs.h"
#include "device/text_encoding.h"
#include "platform/debug_output.h"
#include "platform/files.h"
#include "platform/resources.h"

namespace vyrn {
namespace {

constexpr int kResourceId = 103;

bool fail(const char* message) {
  platform::debugOutput(message);
  return false;
}

// Writes all bytes and closes the file; false if any of it did not reach the disk.
bool writeAll(platform::UniqueFile file, const void* data, std::size_t size) {
  const bool written = std::fwrite(data, 1, size, file.get()) == size;
  return std::fclose(file.release()) == 0 && written;
}

}  // namespace

bool writeResourceToFile(const std::wstring& resourceType, const std::wstring& targetPath) {
  if (platform::pathExists(targetPath)) {
    platform::debugOutput("Resource exist!");
    return true;
  }
  makeDirs(wideToAnsi(targetPath));  // a folder that cannot be made fails the file's creation

  const platform::ResourceData resource = platform::findOwnResource(resourceType, kResourceId);
  switch (resource.status) {
    case platform::ResourceStatus::Found: break;
    case platform::ResourceStatus::NotFound: return fail("Find Resource Error!");
    case platform::ResourceStatus::Empty: return fail("Get Resource Error!");
    case platform::ResourceStatus::LoadFailed: return fail("Load Resource Error!");
    case platform::ResourceStatus::LockFailed: return fail("Lock Resource Error!");
  }

  const std::wstring partial = targetPath + L".part";
  platform::UniqueFile file = platform::openFile(partial, "wb");
  if (!file) return fail("Create File Error!");
  if (!writeAll(std::move(file), resource.data, resource.size) || !platform::replaceFile(partial, targetPath)) {
    platform::deleteFile(partial);
    return fail("Write To File Error!");
  }
  return true;
}

}  // namespace vyrn
