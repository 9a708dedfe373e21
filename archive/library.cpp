#include "archive/library.h"

namespace vyrn::archive {

Status SevenZipLibrary::load(const std::wstring& path) {
  createObject_ = nullptr;
  int error = 0;
  if (!module_.load(path, error)) return {"Cannot load 7-zip library (error " + std::to_string(error) + ")"};
  void* entry = module_.symbol("CreateObject", error);
  if (entry == nullptr) {
    module_.unload();
    return {"Cannot get CreateObject (error " + std::to_string(error) + ")"};
  }
  createObject_ = reinterpret_cast<abi::CreateObjectFunction>(entry);
  return {};
}

}  // namespace vyrn::archive
