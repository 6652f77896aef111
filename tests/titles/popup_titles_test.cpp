#include "titles/popup_titles.h"

#include <gtest/gtest.h>

#include "tests/titles/titles_fixture.h"

namespace quorlen {
namespace {

class PopupTitlesTest : public testing_support::TitleListsTest {
 protected:
  PopupTitles titles{profiles, dialogs, userList, defaultList,
                     [this](const std::string& line) { log.push_back(line); }};
};

// A title list file of the given count and entry lines.
std::string List(const char* count, const char* entries) {
  return std::string("[DomainCount]\nN=") + count + "\n[Domains]\n" + entries;
}

struct LoadCase {
  const char* name;
  std::optional<std::string> userFile, defaultFile;  // nothing: no such list
  std::vector<std::string> slots;
};

TEST_F(PopupTitlesTest, LoadsTheUserListFirstWithTrimmedSlots) {
  const LoadCase cases[] = {
      {"user list wins", List("1", "D0=mine\n"), List("1", "D0=shipped\n"), {"mine"}},
      {"default, trimmed", {}, List("2", "D0=  casino  \nD1=lottery\n"), {"casino", "lottery"}},
      {"a missing entry", {}, List("3", "D0=first\nD2=third\n"), {"first", "", "third"}},
      {"a blank entry stays empty", {}, List("2", "D0=   \nD1=kept\n"), {"", "kept"}},
      {"a count that is no number loads nothing", {}, List("many", "D0=casino\n"), {}},
      {"no list at all", {}, {}, {}},
      {"more entries than counted are not read", {}, List("1", "D0=one\nD1=two\n"), {"one"}},
      {"a negative count keeps the fragments loaded before", {}, List("-2", "D0=other\n"), {"one"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(userList);
    std::filesystem::remove(defaultList);
    profiles = ProfileStore();
    if (c.userFile) WriteFile("usertitles.ini", *c.userFile);
    if (c.defaultFile) WriteFile("qltitles.ini", *c.defaultFile);
    titles.LoadPopupTitles();
    EXPECT_EQ(titles.Fragments(), c.slots);
  }
}

TEST_F(PopupTitlesTest, LogsEveryLoadedFragmentAndShowsTheHourglass) {
  WriteFile("qltitles.ini", List("3", "D0=casino\nD2=") + std::string(300, 'v') + "\n");
  titles.LoadPopupTitles();
  const std::string cut(249, 'v');  // what a 250-character buffer holds
  EXPECT_EQ(log, (std::vector<std::string>{"User Defined Popup in Memory 'casino'",
                                           "User Defined Popup in Memory '" + cut + "'"}));
  EXPECT_EQ(dialogs.WaitCursorChanges(), 2);
  EXPECT_FALSE(dialogs.WaitCursor());
}

struct MatchCase {
  const char* name;
  std::vector<std::string> fragments;
  std::string title;
  const char* fragment;  // "": no match
};

TEST_F(PopupTitlesTest, MatchesTheFirstListedFragmentAnywhereIgnoringCase) {
  const MatchCase cases[] = {
      {"case and position ignored", {"casino"}, "Best CASINO offers - Chromium", "casino"},
      {"fragment reported as stored", {"CaSiNo"}, "casino night", "CaSiNo"},
      {"first in list order wins", {"win", "casino"}, "casino: you win", "win"},
      {"an empty slot never matches", {"", "deal"}, "great deal", "deal"},
      {"an empty title never matches", {"casino"}, "", ""},
      {"no fragment in the title", {"casino", "lottery"}, "Terminal", ""},
      {"accented capitals fold", {"\xE9t\xE9 offre"}, "GRANDE \xC9T\xC9 OFFRE", "\xE9t\xE9 offre"},
      {"the whole fragment must be there", {"jackpots"}, "jackpot", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteDefaultList(c.fragments);
    titles.LoadPopupTitles();
    auto match = titles.MatchPopupTitle(c.title);
    EXPECT_EQ(match.matched, *c.fragment != '\0');
    EXPECT_EQ(match.fragment, c.fragment);
  }
}

}  // namespace
}  // namespace quorlen
