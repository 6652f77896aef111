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
                    NumberCase{"32768", std::nullopt, 32768},
                    NumberCase{"-32768", -32768, -32768},
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

}  // namespace
}  // namespace quorlen
