#include <windows.h>
#include <shlobj.h>

#include "platform/known_folders.h"

namespace vyrn::platform {

std::wstring localAppDataFolder(WindowHandle owner) {
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetSpecialFolderPathW(static_cast<HWND>(owner), path, CSIDL_LOCAL_APPDATA, FALSE)) return {};
  return path;
}

std::wstring temporaryFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, path);
  std::wstring result(path, length <= MAX_PATH ? length : 0);
  while (!result.empty() && result.back() == L'\\') result.pop_back();
  return result;
}

}  // namespace vyrn::platform
