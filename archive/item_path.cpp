#include "archive/item_path.h"

#include <cstdint>

namespace vyrn::archive {

std::optional<std::wstring> safeItemPath(const std::wstring& itemName) {
  if (itemName.empty()) return std::nullopt;
  if (itemName[0] == L'\\' || itemName[0] == L'/') return std::nullopt;
  if (itemName.find(L':') != std::wstring::npos) return std::nullopt;

  std::wstring result;
  std::size_t start = 0;
  while (start <= itemName.size()) {
    std::size_t end = itemName.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = itemName.size();
    const std::wstring segment = itemName.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == L".") continue;
    // Windows drops trailing dots and spaces, so "..", ". ." and "... " all
    // mean the parent folder (or this one) there.
    if (segment.find_first_not_of(L". ") == std::wstring::npos) return std::nullopt;
    if (!result.empty()) result += L'\\';
    result += segment;
  }
  if (result.empty()) return std::nullopt;
  return result;
}

std::wstring joinSurrogates(std::wstring text) {
  if constexpr (sizeof(wchar_t) == 4) {
    std::wstring joined;
    joined.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto high = static_cast<std::uint32_t>(text[i]);
      if (high >= 0xD800 && high <= 0xDBFF && i + 1 < text.size()) {
        const auto low = static_cast<std::uint32_t>(text[i + 1]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          joined += static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00));
          ++i;
          continue;
        }
      }
      joined += text[i];
    }
    return joined;
  }
  return text;
}

}  // namespace vyrn::archive
