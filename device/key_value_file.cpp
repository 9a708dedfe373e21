#include "device/key_value_file.h"

#include "device/text_encoding.h"
#include "platform/files.h"

namespace vyrn {
namespace {

bool readAll(const std::string& path, std::string& content) {
  const platform::UniqueFile file = platform::openFile(ansiToWide(path), "rb");
  if (!file) return false;
  char buffer[4096];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) content.append(buffer, count);
  return !std::ferror(file.get());
}

}  // namespace

KeyValueFile::KeyValueFile(const std::string& path) {
  std::string content;
  if (readAll(path, content)) parse(content);
}

void KeyValueFile::parse(const std::string& content) {
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Empty lines carry nothing; a "#" line is a comment.
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos)
      entries_.emplace(line, line);  // a line without "=" is its own key and value
    else
      entries_.emplace(line.substr(0, equals), line.substr(equals + 1));  // emplace keeps the first occurrence
  }
}

void KeyValueFile::set(const std::string& key, const std::string& value) { entries_[key] = value; }

std::string KeyValueFile::value(const std::string& key) const {
  const auto it = entries_.find(key);
  return it == entries_.end() ? std::string() : it->second;
}

bool KeyValueFile::save(const std::string& path) const {
  std::string content;
  for (const auto& [key, value] : entries_) content += key + "=" + value + "\r\n";

  const std::wstring target = ansiToWide(path);
  const std::wstring staging = target + L".tmp";
  {
    const platform::UniqueFile file = platform::openFile(staging, "wb");
    if (!file) return false;
    const bool written = std::fwrite(content.data(), 1, content.size(), file.get()) == content.size() &&
                         std::fflush(file.get()) == 0;
    if (!written) {
      platform::deleteFile(staging);
      return false;
    }
  }
  if (platform::replaceFile(staging, target)) return true;
  platform::deleteFile(staging);
  return false;
}

}  // namespace vyrn
