#pragma once
// The identity file: "key=value" lines of plain 8-bit text, "#" comments,
// CR LF line ends on disk, entries kept in byte order of their keys.

#include <map>
#include <string>

namespace vyrn {

class KeyValueFile {
 public:
  KeyValueFile() = default;
  // Loads path; a file that cannot be read gives an empty map.
  explicit KeyValueFile(const std::string& path);

  void set(const std::string& key, const std::string& value);
  // The value stored under key, or empty text.
  std::string value(const std::string& key) const;
  bool contains(const std::string& key) const { return entries_.count(key) != 0; }
  const std::map<std::string, std::string>& entries() const { return entries_; }

  // Writes every entry as key=value CR LF. The file is replaced in one step,
  // so an interrupted save never leaves a truncated file behind.
  bool save(const std::string& path) const;

  // Parses file content; exposed for tests of the line rules.
  void parse(const std::string& content);

 private:
  std::map<std::string, std::string> entries_;
};

}  // namespace vyrn
