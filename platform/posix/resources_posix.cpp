#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/resources.h"

namespace vyrn::platform {
namespace {

std::wstring upper(std::wstring text) {
  for (auto& ch : text) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
  return text;
}

struct Table {
  std::mutex mutex;
  std::map<std::pair<std::wstring, int>, const std::string*> entries;
  // Every registered payload stays alive, so data pointers handed out stay
  // valid for the process's life, as a module's resources do.
  std::vector<std::unique_ptr<const std::string>> storage;
};

Table& table() {
  static auto* instance = new Table();
  return *instance;
}

}  // namespace

void registerResource(const std::wstring& type, int id, std::string bytes) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.storage.push_back(std::make_unique<const std::string>(std::move(bytes)));
  t.entries[{upper(type), id}] = t.storage.back().get();
}

ResourceData findOwnResource(const std::wstring& type, int id) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  ResourceData result;
  const auto found = t.entries.find({upper(type), id});
  if (found == t.entries.end()) return result;
  if (found->second->empty()) {
    result.status = ResourceStatus::Empty;
    return result;
  }
  result.status = ResourceStatus::Found;
  result.data = found->second->data();
  result.size = found->second->size();
  return result;
}

}  // namespace vyrn::platform
