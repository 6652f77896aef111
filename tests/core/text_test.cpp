#include "core/text.h"

#include <gtest/gtest.h>

namespace quorlen {
namespace {

TEST(Trim, RemovesOnlyBlanks) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(Trim("    "), "");
  EXPECT_EQ(Trim(""), "");
}

TEST(LowerCase, FollowsTheSingleByteCodePage) {
  EXPECT_EQ(LowerCase("ADS.Example.COM"), "ads.example.com");
  EXPECT_EQ(LowerCase("CAF\xC9"), "caf\xE9");  // É -> é
  EXPECT_EQ(LowerCase("\xD7"), "\xD7");        // the multiplication sign has no lower case
  EXPECT_EQ(LowerCase("\x8A"), "\x9A");        // Š -> š
}

TEST(ReplaceAll, ScansLeftToRightWithoutOverlaps) {
  EXPECT_EQ(ReplaceAll("\r\n\r\n\r\n", "\r\n\r\n", "\r\n"), "\r\n\r\n");
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceAll("127.0.0.1 x", "127.0.0.1", "-"), "- x");
  EXPECT_EQ(ReplaceAll("none", "zz", "y"), "none");
}

TEST(Conversions, ReadsNumbersAsTheSettingsDo) {
  const std::pair<const char*, int> both[] = {
      {"0", 0},          {"  42  ", 42},   {"-7", -7},        {"+7", 7},    {"2.5", 2},
      {"3.5", 4},        {"-2.5", -2},     {"1e3", 1000},     {"&O17", 15}, {"&HFFFF", -1},
      {"&H7FFF", 32767}, {"32767", 32767}, {"-32768", -32768}};
  for (const auto& [text, value] : both) {
    EXPECT_EQ(ToInt16(text), value) << text;
    EXPECT_EQ(ToInt32(text), value) << text;
  }
  EXPECT_EQ(ToInt16("32768"), std::nullopt);
  EXPECT_EQ(ToInt32("32768"), 32768);
  EXPECT_EQ(ToInt16("2147483647"), std::nullopt);
  EXPECT_EQ(ToInt32("2147483647"), 2147483647);
  for (const char* text : {"2147483648", "", "12abc", "abc", "."}) {
    EXPECT_EQ(ToInt16(text), std::nullopt) << text;
    EXPECT_EQ(ToInt32(text), std::nullopt) << text;
  }
}

TEST(ToBoolean, WordsAndNumbers) {
  const std::pair<const char*, std::optional<bool>> cases[] = {
      {"True", true}, {"false", false}, {" TRUE ", true},   {"0", false},
      {"-1", true},   {"2", true},      {"", std::nullopt}, {"yes", std::nullopt}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ToBoolean(text), value) << text;
}

TEST(Utf8ToSingleByte, KeepsWhatTheCodePageHasAndMarksTheRest) {
  const std::pair<std::string, std::string> cases[] = {
      {"Terminal - bash", "Terminal - bash"},
      {std::string("Caf\xC3\xA9 \xC3\x9C") + "ber", std::string("Caf\xE9 \xDC") + "ber"},
      // The code page's own 0x80 range.
      {"\xE2\x82\xAC 5 \xE2\x80\x94 \xE2\x80\x9Cok\xE2\x80\x9D", "\x80 5 \x97 \x93ok\x94"},
      {"\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80", "?? ?"},  // characters it lacks
      {"ab\xC3", "ab?"},                                      // a cut sequence at the end
      {std::string("a\x80") + "b", "a?b"},                    // a stray continuation byte
      {std::string("a\xFF") + "b", "a?b"},                    // an invalid lead byte
  };
  for (const auto& [utf8, single] : cases) EXPECT_EQ(Utf8ToSingleByte(utf8), single) << utf8;
  for (int byte = 0x20; byte < 0x100; ++byte) {
    char32_t character = SingleByteToUnicode(static_cast<unsigned char>(byte));
    if (character == static_cast<char32_t>(byte) && byte >= 0x80 && byte <= 0x9F) continue;
    EXPECT_EQ(static_cast<unsigned char>(UnicodeToSingleByte(character)), byte) << byte;
  }
}

}  // namespace
}  // namespace quorlen
