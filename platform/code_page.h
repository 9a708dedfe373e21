#pragma once
// Conversions between UTF-16 (wide) text and the 8-bit code pages the
// launcher uses. Characters a code page cannot hold become its default
// character; invalid input never fails a conversion.

#include <string>
#include <string_view>

namespace vyrn::platform {

enum class CodePage {
  Ansi,  // the system ANSI code page (936 on the target systems)
  Oem,   // the system OEM code page (936 on the target systems)
  Utf8,
  Gbk,   // code page 936 whatever the system's code pages are
};

// Converts exactly the given bytes / units; embedded NULs are converted too.
std::wstring toWide(CodePage codePage, std::string_view bytes);
std::string fromWide(CodePage codePage, std::wstring_view text);

// True when byte starts a two-byte character in the code page (for walking
// narrow text character by character).
bool isLeadByte(CodePage codePage, unsigned char byte);

// The numeric code pages the system uses for Ansi and Oem.
unsigned systemAnsiCodePage();
unsigned systemOemCodePage();

}  // namespace vyrn::platform
