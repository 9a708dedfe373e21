#pragma once
// The 7-Zip extraction module, loaded from a file for as long as this object lives.

#include <string>

#include "archive/seven_zip_abi.h"
#include "platform/shared_library.h"

namespace vyrn::archive {

// Empty error text means success.
struct Status {
  std::string error;
  bool ok() const { return error.empty(); }
};

class SevenZipLibrary {
 public:
  SevenZipLibrary() = default;

  // "Cannot load 7-zip library (error N)" or "Cannot get CreateObject (error
  // N)", N being the system's error code.
  Status load(const std::wstring& path);

  bool loaded() const { return createObject_ != nullptr; }
  abi::CreateObjectFunction createObject() const { return createObject_; }

 private:
  platform::SharedLibrary module_;
  abi::CreateObjectFunction createObject_ = nullptr;
};

}  // namespace vyrn::archive
