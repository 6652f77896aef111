#include "update/download_format.h"

#include <gtest/gtest.h>

namespace quorlen::update {
namespace {

struct ListCase {
  const char* name;
  std::string body;
  bool popupMarks;
  bool accepted;
  std::string entries;  // the servers in order after a blank each, a popup server's with a "!"
};

TEST(ServerListTest, LinesMarkerAndPopupServers) {
  const std::vector<ListCase> cases = {
      {"no marker", "ads.example.net\r\n", true, false, ""},
      {"empty body", "", true, false, ""},
      {"LF line ends are one piece", "ads.example.net\n[END]", true, false, ""},
      {"marker with a blank", "ads.example.net\r\n[END] ", true, false, ""},
      {"marker inside is a name", "[END]\r\nads.example.net\r\n[END]", true, true,
       " [END] ads.example.net"},
      {"blanks trimmed, empty lines skipped", "  ads.example.net  \r\n   \r\n\r\n#x\r\n[END]", true,
       true, " ads.example.net"},
      {"removals take a star line whole", "*pop.example.net\r\n[END]", false, true,
       " *pop.example.net"},
      {"an indented comment is still a comment", "   # note\r\n[END]", true, true, ""},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<ServerList> list = ParseServerList(c.body, c.popupMarks);
    ASSERT_EQ(list.has_value(), c.accepted);
    if (!list) continue;
    std::string entries;
    for (const auto& entry : list->entries) entries += (entry.popup ? " !" : " ") + entry.name;
    EXPECT_EQ(entries, c.entries);
  }
}

// Each entry keeps its line and piece, for progress and status.
TEST(ServerListTest, KeepsTheLineAndItsPiece) {
  auto list = ParseServerList(
      "#a\r\n\r\n *pop.example \r\nbad\texample\r\n*\r\nbad\x01name\r\nx.example\r\n[END]", true);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->lastPiece, 6u);
  ASSERT_EQ(list->entries.size(), 5u);
  EXPECT_EQ(list->entries[0].line, "*pop.example");
  EXPECT_EQ(list->entries[0].piece, 2u);
  EXPECT_EQ(list->entries[4].piece, 6u);
}

TEST(UpdateDateTest, ReadsMonthDayYear) {
  struct Case {
    const char* text;
    std::optional<UpdateDate> date;
  };
  const std::vector<Case> cases = {
      {"12/15/2002", UpdateDate{2002, 12, 15}}, {"1/1/2001", UpdateDate{2001, 1, 1}},
      {"01/02/2003", UpdateDate{2003, 1, 2}},   {" 2/29/2024\r\n", UpdateDate{2024, 2, 29}},
      {"2/29/2000", UpdateDate{2000, 2, 29}},   {"12/6/1000", UpdateDate{1000, 12, 6}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseUpdateDate(c.text), c.date) << c.text;
  // "12/6/0506": a four-digit year has no leading zero.
  for (const char* text : {"2/29/2023", "2/29/1900", "4/31/2002", "13/1/2002", "0/1/2002",
                           "12/15/02", "12/15/20020", "12-15-2002", "12/15/2002 extra", "Never", "",
                           "<html>", "-1/5/2002", "1//2002", "12/6/0506"}) {
    EXPECT_EQ(ParseUpdateDate(text), std::nullopt) << text;
  }
}

TEST(UpdateDateTest, WritesWithoutLeadingZerosAndComparesAsDates) {
  for (const auto& [date, text] :
       std::vector<std::pair<UpdateDate, std::string>>{{{2026, 12, 6}, "12/6/2026"},
                                                       {{2002, 1, 9}, "1/9/2002"},
                                                       {{1999, 10, 31}, "10/31/1999"}}) {
    EXPECT_EQ(FormatUpdateDate(date), text);
    EXPECT_EQ(ParseUpdateDate(text), date);
  }
  // As text "9/1/2002" sorts after "12/15/2002"; as dates it is earlier.
  EXPECT_LT(*ParseUpdateDate("9/1/2002"), *ParseUpdateDate("12/15/2002"));
  EXPECT_LT(*ParseUpdateDate("12/31/2001"), *ParseUpdateDate("1/1/2002"));
  EXPECT_FALSE(*ParseUpdateDate("3/4/2005") < *ParseUpdateDate("03/04/2005"));
}

}  // namespace
}  // namespace quorlen::update
