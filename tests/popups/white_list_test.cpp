#include <gtest/gtest.h>

#include "tests/popups/popup_fixture.h"

namespace quorlen {
namespace {

using testing_support::PopupProgramTest;

class WhiteListTest : public PopupProgramTest {
 protected:
  // Writes the file behind the program's back, as a text editor would, and loads it afresh.
  IEWhiteList& LoadFile(const std::string& text) {
    dir.Write("program/userwl.ini", text);
    list = std::make_unique<IEWhiteList>(store, dialogs,
                                         [this](const std::string& m) { lines.push_back(m); });
    list->LoadIEWhiteList(program->getWhiteListFile());
    return *list;
  }

  ProfileStore store;
  std::unique_ptr<IEWhiteList> list;
  std::vector<std::string> lines;
};

TEST_F(WhiteListTest, EntriesMatchAnywhereIgnoringCase) {
  IEWhiteList& wl = LoadFile(
      "[DomainCount]\r\nN=3\r\n[Domains]\r\nD0=  Games.Example.COM  \r\nD1=news.example/world\r\n"
      "D2=example\r\n");
  // The address, and the entry that matches it.
  const std::pair<const char*, const char*> rows[] = {
      {"http://games.example.com/chess", "Games.Example.COM"},
      {"HTTP://NEWS.EXAMPLE/WORLD/today", "news.example/world"},
      {"http://news.example/sport", "example"},  // the first match in list order
      {"", ""},
  };
  for (const auto& [url, entry] : rows) {
    auto match = wl.MatchIEWhiteList(url);
    EXPECT_EQ(std::tuple(match.matched, match.entry), std::tuple(*entry != '\0', entry)) << url;
  }
  EXPECT_EQ(lines.front(), "User Defined IE WhiteList in Memory 'Games.Example.COM'");
}

TEST_F(WhiteListTest, MissingAndBlankEntriesMatchNothing) {
  IEWhiteList& wl =
      LoadFile("[DomainCount]\r\nN=3\r\n[Domains]\r\nD0=first.example\r\nD2=     \r\n");
  ASSERT_TRUE(wl.aIEWhiteList().has_value());
  EXPECT_EQ(*wl.aIEWhiteList(), (std::vector<std::string>{"first.example", "", ""}));
  EXPECT_EQ(lines.size(), 1u);
  EXPECT_FALSE(wl.MatchIEWhiteList("http://x/     ").matched);
  EXPECT_TRUE(wl.MatchIEWhiteList("http://first.example/").matched);
}

// A list never loaded, or loaded from counts that are no count, matches nothing.
TEST_F(WhiteListTest, CountsThatAreNoCountLoadNothing) {
  IEWhiteList unloaded(store, dialogs, nullptr);
  EXPECT_FALSE(unloaded.aIEWhiteList().has_value());
  EXPECT_FALSE(unloaded.MatchIEWhiteList("http://a.example/").matched);
  for (const char* text : {"", "[DomainCount]\r\nN=many\r\n[Domains]\r\nD0=a.example\r\n",
                           "[DomainCount]\r\nN=40000\r\n[Domains]\r\nD0=a.example\r\n"}) {
    SCOPED_TRACE(text);
    IEWhiteList& wl = LoadFile(text);
    EXPECT_TRUE(wl.aIEWhiteList().has_value());
    EXPECT_FALSE(wl.MatchIEWhiteList("http://a.example/").matched);
  }
}

TEST_F(WhiteListTest, TheProgramLoadsItsListAtStartup) {
  dir.Write("program/userwl.ini", "[DomainCount]\r\nN=1\r\n[Domains]\r\nD0=games.example\r\n");
  program.reset();
  frmMain& main = Start();
  EXPECT_TRUE(main.Popups().WhiteList().MatchIEWhiteList("http://games.example/").matched);
}

}  // namespace
}  // namespace quorlen
