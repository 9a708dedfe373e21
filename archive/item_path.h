#pragma once
// Archive item names as paths below the output folder.

#include <optional>
#include <string>

namespace vyrn::archive {

// The item's path relative to the output folder, with "\" separators, or
// nothing when writing it could reach outside that folder: an empty name, an
// absolute or UNC path, a drive letter or any ":" (drive or stream), a ".."
// segment, or a segment of dots and spaces that Windows would shorten to one.
// "/" and "\" both separate; empty and "." segments are dropped.
std::optional<std::wstring> safeItemPath(const std::wstring& itemName);

// On systems with 32-bit wchar_t the module hands out UTF-16 units one per
// wchar_t: joins surrogate pairs into code points. Elsewhere returns text as is.
std::wstring joinSurrogates(std::wstring text);

}  // namespace vyrn::archive
