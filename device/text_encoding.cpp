#include "device/text_encoding.h"

#include <cstring>
#include <cwchar>

#include "platform/code_page.h"

namespace vyrn {
namespace {

using platform::CodePage;

template <typename Text>
Text untilFirstNul(Text text) {
  const auto nul = text.find(typename Text::value_type{});
  if (nul != Text::npos) text.resize(nul);
  return text;
}

}  // namespace

std::string wideToAnsi(const wchar_t* text) {
  if (!text) return {};
  return platform::fromWide(CodePage::Ansi, std::wstring_view(text, std::wcslen(text)));
}

std::string wideToAnsi(const std::wstring& text) { return untilFirstNul(platform::fromWide(CodePage::Ansi, text)); }

std::string wideToOem(const std::wstring& text) { return untilFirstNul(platform::fromWide(CodePage::Oem, text)); }

std::wstring ansiToWide(const std::string& text) { return untilFirstNul(platform::toWide(CodePage::Ansi, text)); }

std::unique_ptr<wchar_t[]> oemToWideBuffer(const std::string& text) {
  const std::wstring wide = platform::toWide(CodePage::Oem, std::string_view(text.c_str(), std::strlen(text.c_str())));
  auto buffer = std::make_unique<wchar_t[]>(wide.size() + 1);  // zero-filled, so terminated
  wide.copy(buffer.get(), wide.size());
  return buffer;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return prefix.size() <= text.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> splitString(const std::string& text, char delimiter) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find(delimiter, start);
    if (end == std::string::npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

}  // namespace vyrn
