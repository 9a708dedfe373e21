#pragma once
// Extracts whole 7z archives into a folder through the 7-Zip module.

#include <cstdint>
#include <functional>
#include <string>

#include "archive/library.h"

namespace vyrn::archive {

class Extractor {
 public:
  using SizeCallback = std::function<void(std::uint64_t)>;
  using FileCallback = std::function<void(const std::wstring&)>;

  // The library must stay loaded while the extractor is used.
  explicit Extractor(const SevenZipLibrary& library) : library_(library) {}

  // Total bytes to unpack, reported once before any progress.
  void setTotalCallback(SizeCallback callback) { total_ = std::move(callback); }
  // Bytes unpacked so far, on the total's scale.
  void setProgressCallback(SizeCallback callback) { progress_ = std::move(callback); }
  // Each file item's name in the archive, as its output file is opened.
  void setFileCallback(FileCallback callback) { file_ = std::move(callback); }

  // Writes every item below outputFolder (created as needed), replacing
  // files of the same name. The callbacks run on the calling thread, while
  // the module decodes on threads of its own.
  //
  // Items that would land outside outputFolder refuse the whole archive
  // before anything is written. On a data error the item being written is
  // removed; items finished before stay.
  Status extract(const std::wstring& archivePath, const std::wstring& outputFolder) const;

 private:
  const SevenZipLibrary& library_;
  SizeCallback total_;
  SizeCallback progress_;
  FileCallback file_;
};

}  // namespace vyrn::archive
