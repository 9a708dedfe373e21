#include <windows.h>

#include <string>

namespace vyrn::platform {

void writeDebugLineNative(const std::string& line) { ::OutputDebugStringA(line.c_str()); }

void writeDebugLineNativeWide(const std::wstring& line) { ::OutputDebugStringW(line.c_str()); }

}  // namespace vyrn::platform
