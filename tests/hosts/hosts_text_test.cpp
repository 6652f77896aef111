#include "hosts/hosts_text.h"

#include <gtest/gtest.h>

#include <random>

#include "hosts/hosts_text_literal.h"

namespace quorlen::hosts {
namespace {

using Names = std::vector<std::string>;

BuildResult Build(std::string_view old, const Names& defaults, const Names& user = {},
                  const Names& exclusions = {}, std::vector<std::string>* log = nullptr) {
  return BuildHostsText(
      {old, DetectLineEnd(old), defaults, user, exclusions, nullptr, [log](const std::string& m) {
         if (log) log->push_back(m);
       }});
}

TEST(LineEnd, TakenFromTheFirstLine) {
  EXPECT_EQ(DetectLineEnd("a\r\nb\n"), "\r\n");
  EXPECT_EQ(DetectLineEnd("a\nb\r\n"), "\n");
  EXPECT_EQ(DetectLineEnd("no line end"), "\n");
  EXPECT_EQ(DetectLineEnd(""), "\n");
  EXPECT_EQ(DetectLineEnd("\n"), "\n");
}

TEST(Build, NoEntryCanAddAnyOtherLine) {
  std::vector<std::string> log;
  const Names hostile = {"a.example\r\n10.9.9.9 bank.example",
                         "tab\tname",
                         std::string("nul\0name", 8),
                         "blank name",
                         "bell\x07",
                         "del\x7F",
                         "ok.example"};
  BuildResult r = Build("", hostile, {}, {}, &log);
  EXPECT_EQ(r.text, "127.0.0.1 ok.example\n");
  EXPECT_EQ(log.size(), 6u);
  EXPECT_EQ(RemoveServerLines("127.0.0.1 blank name\n", "\n", {"blank name"}, {}, nullptr, nullptr),
            "127.0.0.1 blank name\n");
}

TEST(Build, PumpsWhereTheOriginalDid) {
  Names defaults(120, "x.example"), user(3, "y.example"), exclusions = {"a", "", "b"};
  std::vector<std::pair<Stage, int>> pumps;
  BuildHostsText({"", "\n", defaults, user, exclusions,
                  [&](Stage s, int i) {
                    if (i != kStageBegins) pumps.push_back({s, i});
                  },
                  nullptr});
  auto count = [&](Stage s) {
    return std::count_if(pumps.begin(), pumps.end(), [s](auto& p) { return p.first == s; });
  };
  EXPECT_EQ(count(Stage::kDefaultList), 3);  // entries 0, 50 and 100
  EXPECT_EQ(count(Stage::kUserList), 3);
  EXPECT_EQ(count(Stage::kExclusions), 2);
  EXPECT_EQ(count(Stage::kBlankLines), 20);
}

TEST(Collapse, TwentyPassesHalveRuns) {
  EXPECT_EQ(CollapsedRun(0), 0u);
  EXPECT_EQ(CollapsedRun(1), 1u);
  EXPECT_EQ(CollapsedRun(2), 1u);
  EXPECT_EQ(CollapsedRun(size_t{1} << 20), 1u);
  EXPECT_EQ(CollapsedRun((size_t{1} << 20) + 1), 2u);
  const std::string run((size_t{1} << 20) + 1, '\n');
  EXPECT_EQ(Build("a" + run + "b", {}).text, "a\n\nb");
}

// The fast steps against the literal ones on random texts of the pieces real hosts files
// hold: listed lines, longer names, names with hyphens and digits as real lists have them,
// comments, case variants, blank runs, stray line ends.
class Differential : public testing::TestWithParam<unsigned> {};

TEST_P(Differential, FastEqualsLiteral) {
  std::mt19937 random(GetParam());
  const Names pool = {"",     "ads.example", "ads.example.com", "track.example",
                      "x",    "ADS.example", "cdn.ads.example", "a b",
                      "p\tq", "ad-2.example"};
  auto pick = [&](const Names& from) { return from[random() % from.size()]; };
  for (int round = 0; round < 200; ++round) {
    const std::string eol = random() % 2 ? "\r\n" : "\n";
    std::string old;
    const int lines = static_cast<int>(random() % 12);
    for (int i = 0; i < lines; ++i) {
      // Listed, commented, mapped elsewhere, a run of stray line ends, a doubled address.
      const char* prefixes[] = {"127.0.0.1 ", "#127.0.0.1 ", "10.0.0.1 ", "",
                                "127.0.0.1 127.0.0.1 "};
      const unsigned kind = random() % 7;
      if (kind == 3) {
        old += std::string(random() % 4, eol == "\n" ? '\n' : '\r');
      } else if (kind < 5) {
        old += prefixes[kind] + pick(pool);
      }
      old += random() % 9 == 0 ? std::string("\n") : eol;
      if (random() % 5 == 0) old += eol;
    }
    Names defaults, user, exclusions;
    for (int i = random() % 6; i > 0; --i) defaults.push_back(pick(pool));
    for (int i = random() % 4; i > 0; --i) user.push_back(pick(pool));
    for (int i = random() % 3; i > 0; --i) exclusions.push_back(pick(pool));
    const std::string_view detected = DetectLineEnd(old);
    auto fast = Build(old, defaults, user, exclusions);
    auto slow = literal::BuildHostsText(old, detected, defaults, user, exclusions);
    ASSERT_EQ(fast.text, slow.text) << "old: " << testing::PrintToString(old);
    ASSERT_EQ(fast.added, slow.added);
    ASSERT_EQ(fast.addedCount, slow.addedCount);
    Names both = defaults;
    both.insert(both.end(), user.begin(), user.end());
    ASSERT_EQ(RemoveServerLines(old, detected, defaults, user, nullptr, nullptr),
              literal::RemoveServerLines(old, detected, both))
        << "text: " << testing::PrintToString(old);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, Differential, testing::Range(1u, 11u));

}  // namespace
}  // namespace quorlen::hosts
