#include "sdk/download_sink.h"

#include <cstdio>

#include "device/text_encoding.h"

namespace vyrn::sdk {
namespace {

// Moves to the end with a 64-bit offset and returns the position there, -1 on
// failure. Append mode alone is not enough on the 32-bit C runtime, whose
// per-write seek to the end cannot pass 4 GiB; starting at the end keeps the
// writes in place regardless.
std::int64_t seekToEnd(std::FILE* file) {
#ifdef _WIN32
  if (::_fseeki64(file, 0, SEEK_END) != 0) return -1;
  return ::_ftelli64(file);
#else
  if (::fseeko(file, 0, SEEK_END) != 0) return -1;
  return static_cast<std::int64_t>(::ftello(file));
#endif
}

}  // namespace

bool DownloadSink::open(const std::string& path) {
  path_ = ansiToWide(path);
  file_ = platform::openFile(path_, platform::pathExists(path_) ? "ab+" : "wb");
  if (!file_) return false;
  // libcurl hands over whole receive buffers: one write each, no copy into a small stream buffer.
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  length_ = seekToEnd(file_.get());
  if (length_ < 0) length_ = platform::fileLength(path_);
  if (length_ < 0) {
    file_.reset();
    return false;
  }
  return true;
}

bool DownloadSink::restart() {
  file_.reset();
  length_ = 0;
  file_ = platform::openFile(path_, "wb");
  if (!file_) return false;
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  return true;
}

std::size_t DownloadSink::append(const char* data, std::size_t size) {
  if (!file_) return 0;
  const std::size_t written = std::fwrite(data, 1, size, file_.get());
  length_ += static_cast<std::int64_t>(written);
  return written;
}

bool DownloadSink::close() {
  if (!file_) return true;
  const bool flushed = std::fclose(file_.release()) == 0;
  return flushed;
}

}  // namespace vyrn::sdk
