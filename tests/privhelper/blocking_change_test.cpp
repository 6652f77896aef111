#include "privhelper/blocking_change.h"

#include <gtest/gtest.h>

#include <fstream>

#include "hosts/hosts_text.h"

namespace quorlen::helper {
namespace {

using Names = std::vector<std::string>;

// The hosts file of a fresh Debian machine, and one a user has made their own.
const std::string kDebianHosts =
    "127.0.0.1\tlocalhost\n127.0.1.1\tdebian\n\n"
    "# The following lines are desirable for IPv6 capable hosts\n"
    "::1     localhost ip6-localhost ip6-loopback\nff02::1 ip6-allnodes\nff02::2 ip6-allrouters\n";
const std::string kUserHosts = kDebianHosts +
                               "\n# my machines\n10.1.2.3 nas.home nas\n192.168.1.20 printer\n"
                               "127.0.0.1 localhost\n127.0.0.1 dev.myproject.test\n";

Names ShippedList() {
  std::ifstream in(std::string(QUORLEN_TEST_DATA) + "/../../data/adservers-default.txt");
  Names names;
  for (std::string line; std::getline(in, line);) names.push_back(line);
  return names;
}

std::string Build(const std::string& old, const Names& list, const Names& allowed = {}) {
  hosts::BuildResult built =
      hosts::BuildHostsText({old, hosts::DetectLineEnd(old), list, {}, allowed, nullptr, nullptr});
  return built.text + std::string(hosts::DetectLineEnd(old));
}

std::string Remove(const std::string& text, const Names& list) {
  return hosts::RemoveServerLines(text, hosts::DetectLineEnd(text), list, {}, nullptr, nullptr);
}

std::string WithCrLf(const std::string& text) {
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

struct ChangeRow {
  const char* name;
  std::string current, proposed;
  bool accepted;
};

TEST(BlockingChange, JudgesRealHostsTexts) {
  static const Names shipped = ShippedList();
  ASSERT_EQ(shipped.size(), 32767u);
  const std::string built = Build(kUserHosts, shipped);
  const std::string builtCrLf = Build(WithCrLf(kUserHosts), shipped);
  const std::string firstLine = "127.0.0.1 " + shipped.front() + "\n";

  const std::vector<ChangeRow> rows = {
      {"the shipped list built over the user's file", kUserHosts, built, true},
      {"the shipped list built over a fresh Debian file", kDebianHosts,
       Build(kDebianHosts, shipped), true},
      {"the shipped list over a Windows-made CR LF file", WithCrLf(kUserHosts), builtCrLf, true},
      {"a rebuild with some servers allowed", built,
       Build(built, shipped, {shipped[5], shipped[700]}), true},
      {"the listed servers taken out again", built, Remove(built, shipped), true},
      {"the first build on a machine without a hosts file", "", Build("", shipped), true},
      {"blank lines added and dropped", kUserHosts, "\n\n" + Replace(kUserHosts, "\n\n", "\n"),
       true},
      {"the same file", built, built, true},
      {"a foreign address added", built, built + "10.0.0.1 bank.example\n", false},
      {"a foreign address among the blocking lines", kUserHosts,
       Replace(built, firstLine, firstLine + "10.0.0.1 bank.example\n"), false},
      {"a user's line changed", built,
       Replace(built, "10.1.2.3 nas.home nas", "10.6.6.6 nas.home nas"), false},
      {"a user's line dropped", built, Replace(built, "192.168.1.20 printer\n", ""), false},
      {"the user's lines reordered", kUserHosts,
       Replace(Replace(kUserHosts, "192.168.1.20 printer\n", ""), "# my machines\n",
               "# my machines\n192.168.1.20 printer\n"),
       false},
      {"a blocking line with two names", kUserHosts,
       "127.0.0.1 ads.example bank.example\n" + kUserHosts, false},
      {"a carriage return inside a name", kUserHosts,
       "127.0.0.1 ads.example\r10.0.0.1 bank.example\n" + kUserHosts, false},
      {"a NUL inside a name", kUserHosts,
       std::string("127.0.0.1 ads.example\0bank.example\n", 35) + kUserHosts, false},
      {"a tab instead of the blank", kUserHosts, "127.0.0.1\tbank.example\n" + kUserHosts, false},
      {"another loopback address", kUserHosts, "127.0.0.2 bank.example\n" + kUserHosts, false},
      {"an address without a name", kUserHosts, "127.0.0.1 \n" + kUserHosts, false},
      {"a comment slipped in", kUserHosts, "# quorlen was here\n" + kUserHosts, false},
      {"the user's own localhost line taken out", kUserHosts,
       Replace(kUserHosts, "127.0.0.1 localhost\n", ""), false},
      {"localhost added as if blocked", kDebianHosts, "127.0.0.1 LocalHost\n" + kDebianHosts,
       false},
      {"the machine's own name added as if blocked", kDebianHosts,
       "127.0.0.1 debian\n" + kDebianHosts, false},
      {"the whole file emptied", built, "", false},
      {"a name the user's own line maps elsewhere", kUserHosts, "127.0.0.1 NAS.home\n" + kUserHosts,
       false},
      {"such a line from before may go", "127.0.0.1 nas\n" + kUserHosts, kUserHosts, true},
      {"a name longer than the name system allows", kUserHosts,
       "127.0.0.1 " + std::string(254, 'a') + "\n" + kUserHosts, false},
  };
  for (const ChangeRow& row : rows) {
    ChangeVerdict verdict = JudgeBlockingChange(row.current, row.proposed);
    EXPECT_EQ(verdict.accepted, row.accepted) << row.name << ": " << verdict.reason;
    EXPECT_EQ(verdict.reason.empty(), row.accepted) << row.name;
  }
}

TEST(BlockingChange, HoldsNoMoreThanBlockingNeeds) {
  auto lines = [](std::size_t count, const std::string& line) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += line + std::to_string(i) + ".example\n";
    return text;
  };
  const std::string own = "# mine\n10.1.2.3 nas\n";
  const std::string full = lines(kMaxBlockingLines, "127.0.0.1 ads") + own;
  const std::string grown = lines(kMaxBlockingLines + 10, "127.0.0.1 ads") + own;
  const std::string blanks = std::string(kMaxBlockingLines + 1, '\n');
  const std::vector<ChangeRow> rows = {
      {"both lists full", own, full, true},
      {"one line more", own, "127.0.0.1 one.more\n" + full, false},
      {"a file that holds more already keeps them", grown, grown, true},
      {"and may lose some", grown, full, true},
      {"but not grow", grown, "127.0.0.1 one.more\n" + grown, false},
      {"blank lines beyond the bound", own, blanks + own, false},
      {"blank lines a file had already", blanks + own, own + blanks, true},
  };
  for (const ChangeRow& row : rows) {
    ChangeVerdict verdict = JudgeBlockingChange(row.current, row.proposed);
    EXPECT_EQ(verdict.accepted, row.accepted) << row.name << ": " << verdict.reason;
    EXPECT_LE(row.proposed.size(), LargestAcceptedText(row.current.size())) << row.name;
  }
}

TEST(BlockingChange, ReasonNamesTheFirstLineThatDiffers) {
  const std::string current = "# mine\n10.1.2.3 nas\n";
  const std::pair<std::string, std::string> rows[] = {
      {"127.0.0.1 a.example\n# mine\n10.0.0.1 bank\n10.1.2.3 nas\n",
       "line 3 of the new text is not a blocking line \"127.0.0.1 <name>\" and not in the "
       "hosts file: \"10.0.0.1 bank\""},
      {"# mine\n", "line 2 of the hosts file would be lost: \"10.1.2.3 nas\""},
      {"# mine\n127.0.0.1 a\rb\n10.1.2.3 nas\n",
       "line 2 of the new text is not a blocking line \"127.0.0.1 <name>\" and not in the "
       "hosts file: \"127.0.0.1 a?b\""},
      {"127.0.0.1 a.example\n127.0.0.1 nas\n# mine\n10.1.2.3 nas\n",
       "line 2 of the new text would send \"nas\" to 127.0.0.1, and a line of the user's own "
       "in the hosts file gives it an address"},
      {std::string(kMaxBlockingLines + 1, '\n') + "# mine\n10.1.2.3 nas\n",
       "the new text holds 65535 blank lines, more than the 65534 taken"},
  };
  for (const auto& [proposed, reason] : rows) {
    EXPECT_EQ(JudgeBlockingChange(current, proposed).reason, reason) << reason;
  }
}

TEST(BlockingChange, TakesOutOnlyTheBlockingLinesTheSavedFileLacked) {
  const std::string saved = "# mine\r\n127.0.0.1 dev.test\r\n10.1.2.3 nas\r\n";
  struct Row {
    const char* name;
    std::string hosts, kept;
  };
  const std::vector<Row> rows = {
      {"a build over the saved file", "127.0.0.1 ads.example\r\n127.0.0.1 dev.test\r\n" + saved,
       "127.0.0.1 dev.test\r\n" + saved},
      {"a line the user added by hand stays",
       "127.0.0.1 ads.example\r\n# mine\r\n127.0.0.1 dev.test\r\n10.1.2.3 nas\r\n"
       "10.9.9.9 new\r\n127.0.0.1 track.example",
       "# mine\r\n127.0.0.1 dev.test\r\n10.1.2.3 nas\r\n10.9.9.9 new\r\n"},
      {"a line of two names is the user's", "127.0.0.1 a b\n127.0.0.1 c\n", "127.0.0.1 a b\n"},
      {"the saved file itself", saved, saved},
      {"nothing at all", "", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(WithoutAddedBlockingLines(row.hosts, saved), row.kept) << row.name;
  }
}

}  // namespace
}  // namespace quorlen::helper
