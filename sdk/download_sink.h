#pragma once
// The local file a download grows, opened anew for every attempt. It is always
// a prefix of the remote file, so appending at its end resumes the download.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files.h"

namespace vyrn::sdk {

class DownloadSink {
 public:
  // Appends to the file at path (narrow ANSI text), creating it if missing.
  // False when it cannot be opened.
  bool open(const std::string& path);

  // Bytes in the file: its length when opened plus everything appended since.
  std::int64_t length() const { return length_; }

  // Empties the file so the download starts again at byte 0. False when the
  // file cannot be reopened; the sink is closed then.
  bool restart();

  // Writes bytes at the end; returns how many were written.
  std::size_t append(const char* data, std::size_t size);

  // Closes the file; false when the system reports an error doing so.
  bool close();

 private:
  std::wstring path_;
  platform::UniqueFile file_;
  std::int64_t length_ = 0;
};

}  // namespace vyrn::sdk
