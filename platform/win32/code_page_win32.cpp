#include <windows.h>

#include <climits>

#include "platform/code_page.h"

namespace vyrn::platform {
namespace {

UINT windowsCodePage(CodePage codePage) {
  switch (codePage) {
    case CodePage::Ansi: return CP_ACP;
    case CodePage::Oem: return CP_OEMCP;
    case CodePage::Utf8: return CP_UTF8;
    case CodePage::Gbk: return 936;
  }
  return CP_ACP;
}

}  // namespace

std::wstring toWide(CodePage codePage, std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const UINT cp = windowsCodePage(codePage);
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(cp, 0, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring result(static_cast<size_t>(needed), L'\0');
  ::MultiByteToWideChar(cp, 0, bytes.data(), length, result.data(), needed);
  return result;
}

std::string fromWide(CodePage codePage, std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const UINT cp = windowsCodePage(codePage);
  const int length = static_cast<int>(text.size());
  const int needed = ::WideCharToMultiByte(cp, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string result(static_cast<size_t>(needed), '\0');
  ::WideCharToMultiByte(cp, 0, text.data(), length, result.data(), needed, nullptr, nullptr);
  return result;
}

bool isLeadByte(CodePage codePage, unsigned char byte) {
  return ::IsDBCSLeadByteEx(windowsCodePage(codePage), byte) != FALSE;
}

unsigned systemAnsiCodePage() { return ::GetACP(); }
unsigned systemOemCodePage() { return ::GetOEMCP(); }

}  // namespace vyrn::platform
