#include "archive/file_streams.h"

#include <cstdio>

namespace vyrn::archive {
namespace {

// 64-bit positions on every C runtime we build for (32-bit Windows included).
int seekFile(std::FILE* file, std::int64_t offset, int origin) {
#ifdef _WIN32
  return ::_fseeki64(file, offset, origin);
#else
  return ::fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

std::int64_t tellFile(std::FILE* file) {
#ifdef _WIN32
  return ::_ftelli64(file);
#else
  return static_cast<std::int64_t>(::ftello(file));
#endif
}

constexpr std::size_t kOutBufferSize = 1 << 18;

}  // namespace

ComPtr<FileInStream> FileInStream::open(const std::wstring& path) {
  platform::UniqueFile file = platform::openFile(path, "rb");
  if (!file) return ComPtr<FileInStream>();
  return ComPtr<FileInStream>(new FileInStream(std::move(file)));
}

abi::HResult FileInStream::QueryInterface(const abi::Guid& iid, void** object) {
  return answer(iid, object, {abi::kIidSequentialInStream, abi::kIidInStream});
}

abi::HResult FileInStream::Read(void* data, std::uint32_t size, std::uint32_t* processedSize) {
  const std::size_t read = size == 0 ? 0 : std::fread(data, 1, size, file_.get());
  if (processedSize != nullptr) *processedSize = static_cast<std::uint32_t>(read);
  // A short read at the end of the file is normal; one for any other reason is not.
  if (read < size && std::ferror(file_.get())) return abi::kFail;
  return abi::kOk;
}

abi::HResult FileInStream::Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) {
  int whence = SEEK_SET;
  switch (origin) {
    case abi::kSeekSet: whence = SEEK_SET; break;
    case abi::kSeekCur: whence = SEEK_CUR; break;
    case abi::kSeekEnd: whence = SEEK_END; break;
    default: return abi::kInvalidArgument;
  }
  if (seekFile(file_.get(), offset, whence) != 0) return abi::kFail;
  const std::int64_t position = tellFile(file_.get());
  if (position < 0) return abi::kFail;
  if (newPosition != nullptr) *newPosition = static_cast<std::uint64_t>(position);
  return abi::kOk;
}

ComPtr<FileOutStream> FileOutStream::create(const std::wstring& path) {
  platform::UniqueFile file = platform::openFile(path, "wb");
  if (!file) return ComPtr<FileOutStream>();
  std::setvbuf(file.get(), nullptr, _IOFBF, kOutBufferSize);
  return ComPtr<FileOutStream>(new FileOutStream(std::move(file)));
}

abi::HResult FileOutStream::QueryInterface(const abi::Guid& iid, void** object) {
  return answer(iid, object, {abi::kIidSequentialOutStream});
}

abi::HResult FileOutStream::Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) {
  std::size_t written = 0;
  if (file_ && size != 0) written = std::fwrite(data, 1, size, file_.get());
  if (processedSize != nullptr) *processedSize = static_cast<std::uint32_t>(written);
  if (written < size) {
    failed_ = true;
    return abi::kFail;
  }
  return abi::kOk;
}

bool FileOutStream::close() {
  if (!file_) return !failed_;
  std::FILE* file = file_.release();
  if (std::fclose(file) != 0) failed_ = true;
  return !failed_;
}

}  // namespace vyrn::archive
