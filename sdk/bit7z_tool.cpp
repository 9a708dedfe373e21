#include "sdk/bit7z_tool.h"

#include <iostream>
#include <thread>
#include <utility>

#include "archive/extractor.h"
#include "archive/library.h"
#include "platform/debug_output.h"

namespace ObrelSdk {

void Bit7zTool::extract(std::wstring archivePath, std::wstring outputFolder) {
  std::thread([tool = *this, archivePath = std::move(archivePath), outputFolder = std::move(outputFolder)]() mutable {
    tool.runExtraction(std::move(archivePath), std::move(outputFolder));
  }).detach();
}

void Bit7zTool::runExtraction(std::wstring archivePath, std::wstring outputFolder) {
  std::string error;
  {
    vyrn::archive::SevenZipLibrary library;
    vyrn::archive::Status status = library.load(mLibraryPath);
    if (status.ok()) {
      // Only the 7z format, whatever the file is called.
      vyrn::archive::Extractor extractor(library);
      extractor.setProgressCallback([this](std::uint64_t done) { onProgress(done); });
      extractor.setFileCallback([this](const std::wstring& name) { onFile(name); });
      extractor.setTotalCallback([this](std::uint64_t total) { onTotal(total); });
      status = extractor.extract(archivePath, outputFolder);
    }
    error = std::move(status.error);
  }  // the library is unloaded before anyone hears the outcome

  if (error.empty()) {
    if (mFinishCallback) mFinishCallback(archivePath);
    return;
  }
  std::cout << error << std::endl;
  vyrn::platform::debugOutput(error);
  if (mErrorCallback) mErrorCallback(archivePath, error);
}

void Bit7zTool::onTotal(std::uint64_t total) { mTotalSize = total; }

void Bit7zTool::onProgress(std::uint64_t done) {
  // Nothing to unpack means no share to report: never divide by zero.
  if (mTotalSize == 0) return;
  if (mProgressCallback) mProgressCallback(static_cast<double>(done) / static_cast<double>(mTotalSize));
}

void Bit7zTool::onFile(std::wstring name) {
  if (mFileCallback) mFileCallback(std::move(name));
}

}  // namespace ObrelSdk
