#pragma once
// Narrow text is kept in the system code page; wide text (UTF-16) only at the
// edges. File paths travel through the ANSI code page; texts for controls,
// browser addresses and the game's command line through the OEM code page.

#include <memory>
#include <string>
#include <vector>

namespace vyrn {

std::string wideToAnsi(const wchar_t* text);       // up to the terminating NUL
std::string wideToAnsi(const std::wstring& text);  // the whole string; result ends at the first NUL
std::wstring ansiToWide(const std::string& text);  // the whole string; result ends at the first NUL

std::string wideToOem(const std::wstring& text);   // the whole string; result ends at the first NUL

// A NUL-terminated wide copy of text in the OEM code page, up to text's first NUL.
std::unique_ptr<wchar_t[]> oemToWideBuffer(const std::string& text);

bool startsWith(const std::string& text, const std::string& prefix);

// Pieces between delimiters, empty ones included, but no empty piece after a
// trailing delimiter; empty text gives no pieces.
std::vector<std::string> splitString(const std::string& text, char delimiter);

}  // namespace vyrn
