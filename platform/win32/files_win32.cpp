#include <windows.h>

#include <string>

#include "platform/files.h"

namespace vyrn::platform {

UniqueFile openFile(const std::wstring& path, const char* mode) {
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return UniqueFile(::_wfopen(path.c_str(), wideMode.c_str()));
}

bool pathExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int createFolder(const std::wstring& path) {
  if (::CreateDirectoryW(path.c_str(), nullptr)) return 0;
  const DWORD error = ::GetLastError();
  return error != 0 ? static_cast<int>(error) : -1;
}

bool replaceFile(const std::wstring& source, const std::wstring& target) {
  return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool deleteFile(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  // A read-only file (an older game file, say) is still ours to replace.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) && ::DeleteFileW(path.c_str());
}

std::int64_t fileLength(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int lastErrorCode() { return static_cast<int>(::GetLastError()); }

std::string lastErrorText() {
  const DWORD error = ::GetLastError();
  char* buffer = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length ? std::string(buffer, length) : "error " + std::to_string(error);
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace vyrn::platform
