// Natively the "system" code pages are both 936, as on the launcher's target
// systems, so the core behaves the same in native tests as on Windows.

#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "platform/code_page.h"

namespace vyrn::platform {
namespace {

const char* iconvName(CodePage codePage) { return codePage == CodePage::Utf8 ? "UTF-8" : "CP936"; }

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts the whole input; each unit that cannot be converted is replaced
  // by `replacement` and skipped, as the Windows conversion functions do.
  std::string run(const char* input, size_t length, size_t unitSize, std::string_view replacement) {
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(input);
    size_t inLeft = length;
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      const size_t rc = iconv(cd_, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
        out.append(replacement);
        const size_t skip = inLeft < unitSize ? inLeft : unitSize;
        in += skip;
        inLeft -= skip;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    outFlush(out);
    return out;
  }

 private:
  void outFlush(std::string& out) {
    char buffer[64];
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
  }

  iconv_t cd_;
};

}  // namespace

std::wstring toWide(CodePage codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  Converter converter("WCHAR_T", iconvName(codePage));
  if (!converter.ok()) return {};
  const wchar_t replacement = 0xFFFD;
  const std::string raw = converter.run(bytes.data(), bytes.size(), 1,
                                        std::string_view(reinterpret_cast<const char*>(&replacement), sizeof replacement));
  std::wstring result(raw.size() / sizeof(wchar_t), L'\0');
  std::memcpy(result.data(), raw.data(), result.size() * sizeof(wchar_t));
  return result;
}

std::string fromWide(CodePage codePage, std::wstring_view text) {
  if (text.empty()) return {};
  Converter converter(iconvName(codePage), "WCHAR_T");
  if (!converter.ok()) return {};
  return converter.run(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t), sizeof(wchar_t),
                       codePage == CodePage::Utf8 ? "\xEF\xBF\xBD" : "?");
}

bool isLeadByte(CodePage codePage, unsigned char byte) {
  return codePage != CodePage::Utf8 && byte >= 0x81 && byte <= 0xFE;
}

unsigned systemAnsiCodePage() { return 936; }
unsigned systemOemCodePage() { return 936; }

}  // namespace vyrn::platform
