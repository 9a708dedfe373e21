#pragma once
// Unpacks a downloaded 7z package into a folder on a thread of its own; the
// caller hears of progress, success and failure only through the callbacks.

#include <cstdint>
#include <functional>
#include <string>

namespace ObrelSdk {

class Bit7zTool {
 public:
  std::function<void(double)> mProgressCallback;              // share done, 0.0 .. 1.0
  std::function<void(std::wstring)> mFileCallback;            // item being written
  std::function<void(std::wstring)> mFinishCallback;          // archive path, after success
  std::function<void(std::wstring, std::string)> mErrorCallback;  // archive path, error text
  std::wstring mLibraryPath;                                  // the 7-Zip extraction module file
  std::uint64_t mTotalSize = 0;                               // bytes to unpack, once reported

  // Starts a detached thread that runs runExtraction on a copy of this tool
  // and returns at once; the caller's tool may go away right after. Throws
  // std::system_error only when the thread cannot be started.
  void extract(std::wstring archivePath, std::wstring outputFolder);

  // The worker's body: exactly one of mFinishCallback / mErrorCallback (if
  // set) at the end; errors also go to standard output and the debug output.
  void runExtraction(std::wstring archivePath, std::wstring outputFolder);

  void onTotal(std::uint64_t total);
  void onProgress(std::uint64_t done);
  void onFile(std::wstring name);
};

}  // namespace ObrelSdk
