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

struct NumberCase {
  const char* text;
  std::optional<std::int16_t> int16;
  std::optional<std::int32_t> int32;
};

class Conversions : public testing::TestWithParam<NumberCase> {};

TEST_P(Conversions, ReadsNumbersAsTheSettingsDo) {
  EXPECT_EQ(ToInt16(GetParam().text), GetParam().int16) << GetParam().text;
  EXPECT_EQ(ToInt32(GetParam().text), GetParam().int32) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conversions,
    testing::Values(NumberCase{"0", 0, 0}, NumberCase{"  42  ", 42, 42}, NumberCase{"-7", -7, -7},
                    NumberCase{"+7", 7, 7}, NumberCase{"2.5", 2, 2}, NumberCase{"3.5", 4, 4},
                    NumberCase{"-2.5", -2, -2}, NumberCase{"1e3", 1000, 1000},
                    NumberCase{"&H7FFF", 32767, 32767}, NumberCase{"&HFFFF", -1, -1},
                    NumberCase{"&O17", 15, 15}, NumberCase{"32767", 32767, 32767},
                    NumberCase{"32768", std::nullopt, 32768}, NumberCase{"-32768", -32768, -32768},
                    NumberCase{"2147483647", std::nullopt, 2147483647},
                    NumberCase{"2147483648", std::nullopt, std::nullopt},
                    NumberCase{"", std::nullopt, std::nullopt},
                    NumberCase{"12abc", std::nullopt, std::nullopt},
                    NumberCase{"abc", std::nullopt, std::nullopt},
                    NumberCase{".", std::nullopt, std::nullopt}));

TEST(ToBoolean, WordsAndNumbers) {
  EXPECT_EQ(ToBoolean("True"), true);
  EXPECT_EQ(ToBoolean("false"), false);
  EXPECT_EQ(ToBoolean(" TRUE "), true);
  EXPECT_EQ(ToBoolean("0"), false);
  EXPECT_EQ(ToBoolean("-1"), true);
  EXPECT_EQ(ToBoolean("2"), true);
  EXPECT_EQ(ToBoolean(""), std::nullopt);
  EXPECT_EQ(ToBoolean("yes"), std::nullopt);
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
