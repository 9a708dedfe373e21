#include "device/text_encoding.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

#include <string>
#include <vector>

namespace vyrn {
namespace {

TEST(CodePageConversion, SystemCodePagesAreSimplifiedChinese) {
  // The test environment is set up like the launcher's target systems.
  EXPECT_EQ(platform::systemAnsiCodePage(), 936u);
  EXPECT_EQ(platform::systemOemCodePage(), 936u);
}

TEST(SplitString, KeepsEmptyPiecesButNoTrailingOne) {
  struct Case {
    std::string text;
    std::vector<std::string> pieces;
  };
  const std::vector<Case> cases = {
      {"a,,b", {"a", "", "b"}}, {"a,", {"a"}},   {",a", {"", "a"}}, {"", {}},
      {",", {""}},              {"abc", {"abc"}}, {"a,b,", {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitString(c.text, ','), c.pieces) << "text: " << c.text;
}

TEST(StartsWith, ComparesBytesWithCase) {
  EXPECT_TRUE(startsWith("javascript:alert(1)", "javascript"));
  EXPECT_FALSE(startsWith("JavaScript:alert(1)", "javascript"));
  EXPECT_FALSE(startsWith("java", "javascript"));
  EXPECT_TRUE(startsWith("anything", ""));
  EXPECT_TRUE(startsWith("", ""));
}

TEST(CodePageConversion, ChineseTextRoundTripsThroughCodePage936) {
  const std::string gbk = "微端正在运行 C:\\游戏\\vyrn";  // the narrow literal is code page 936
  const std::wstring wide = ansiToWide(gbk);
  EXPECT_EQ(wide, L"\u5fae\u7aef\u6b63\u5728\u8fd0\u884c C:\\\u6e38\u620f\\vyrn");
  EXPECT_EQ(wideToAnsi(wide), gbk);
  EXPECT_EQ(wideToAnsi(wide.c_str()), gbk);
  EXPECT_EQ(std::string("\xCE\xA2"), std::string("微"));  // 936 bytes, not UTF-8
}

TEST(CodePageConversion, UnrepresentableCharacterBecomesDefaultCharacter) {
  const std::string narrow = wideToAnsi(std::wstring(L"a\u0E01b"));  // a Thai letter: not in 936
  EXPECT_EQ(narrow, "a?b");
}

TEST(CodePageConversion, EmbeddedNulEndsTheResult) {
  EXPECT_EQ(ansiToWide(std::string("ab\0cd", 5)), L"ab");
  EXPECT_EQ(wideToAnsi(std::wstring(L"ab\0cd", 5)), "ab");
  const auto buffer = oemToWideBuffer(std::string("ab\0cd", 5));
  EXPECT_EQ(std::wstring(buffer.get()), L"ab");
}

TEST(CodePageConversion, EmptyInputGivesEmptyResult) {
  EXPECT_EQ(ansiToWide(""), L"");
  EXPECT_EQ(wideToAnsi(std::wstring()), "");
  EXPECT_EQ(wideToAnsi(static_cast<const wchar_t*>(L"")), "");
  const auto buffer = oemToWideBuffer("");
  EXPECT_EQ(buffer[0], L'\0');
}

TEST(CodePageConversion, OemBufferIsTerminatedWideText) {
  const auto buffer = oemToWideBuffer("正在解压资源[50/100]");
  EXPECT_EQ(std::wstring(buffer.get()), L"\u6b63\u5728\u89e3\u538b\u8d44\u6e90[50/100]");
}

TEST(CodePageConversion, EveryHanziRoundTrips) {
  // Narrow -> wide -> narrow keeps every GB2312 hanzi, as file paths must
  // between the wide file functions and the narrow text the launcher keeps.
  std::string all;
  for (int lead = 0xB0; lead <= 0xF7; ++lead)
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail > 0xF9) continue;  // unassigned
      all += static_cast<char>(lead);
      all += static_cast<char>(trail);
    }
  const std::wstring wide = ansiToWide(all);
  EXPECT_EQ(wide.size(), all.size() / 2);
  EXPECT_EQ(wideToAnsi(wide), all);
}

}  // namespace
}  // namespace vyrn
