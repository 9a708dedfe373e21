#pragma once
// The archive file as 7-Zip's seekable input stream, and output files as
// its sequential output stream.

#include <cstdint>
#include <string>

#include "archive/com_object.h"
#include "archive/seven_zip_abi.h"
#include "platform/files.h"

namespace vyrn::archive {

class FileInStream final : public ComObject<abi::IInStream> {
 public:
  // Null when the file cannot be opened for reading.
  static ComPtr<FileInStream> open(const std::wstring& path);

  abi::HResult VYRN_7Z_CALL QueryInterface(const abi::Guid& iid, void** object) override;
  abi::HResult VYRN_7Z_CALL Read(void* data, std::uint32_t size, std::uint32_t* processedSize) override;
  abi::HResult VYRN_7Z_CALL Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) override;

 private:
  explicit FileInStream(platform::UniqueFile file) : file_(std::move(file)) {}
  platform::UniqueFile file_;
};

class FileOutStream final : public ComObject<abi::ISequentialOutStream> {
 public:
  // Null when the file cannot be created.
  static ComPtr<FileOutStream> create(const std::wstring& path);

  abi::HResult VYRN_7Z_CALL QueryInterface(const abi::Guid& iid, void** object) override;
  abi::HResult VYRN_7Z_CALL Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) override;

  // Flushes and closes the file; false if anything written was lost.
  bool close();
  bool failed() const { return failed_; }

 private:
  explicit FileOutStream(platform::UniqueFile file) : file_(std::move(file)) {}
  platform::UniqueFile file_;
  bool failed_ = false;
};

}  // namespace vyrn::archive
