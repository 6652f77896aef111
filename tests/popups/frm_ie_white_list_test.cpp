#include <gtest/gtest.h>

#include "tests/popups/popup_fixture.h"

namespace quorlen {
namespace {

using testing_support::PopupProgramTest;

class WhiteListEditorTest : public PopupProgramTest {
 protected:
  frmIEWhiteList& Editor() { return Popups().Editor(); }
  void Type(const std::string& text) { Editor().txtTitle.SetText(text); }
  std::string File() { return dir.Read("program/userwl.ini"); }
};

TEST_F(WhiteListEditorTest, OpensWithTheListAndTheLastBlockedPage) {
  WriteWhiteList({"games.example"});
  browsers.OpenFrom(page);  // blocked
  Controls().mnuTrayLastIEPop.Click();
  EXPECT_TRUE(Editor().window.Visible());
  EXPECT_EQ(Editor().lstAdd.Items(), std::vector<std::string>{"games.example"});
  EXPECT_EQ(Editor().txtTitle.Text(), "www.example.com/page.html");
  EXPECT_TRUE(Editor().cmdAdd.Enabled());
  EXPECT_FALSE(Editor().cmdDel.Enabled());
  Editor().cmdAdd.Click();
  Editor().cmdOK.Click();
  EXPECT_FALSE(Editor().window.Visible());
  EXPECT_FALSE(browsers.OpenFrom(page));  // saved and loaded at once
  EXPECT_NE(File().find("D1=www.example.com/page.html"), std::string::npos);
}

// Every way in opens the editor; opening it again while it is open keeps the edits.
TEST_F(WhiteListEditorTest, EveryWayInOpensTheEditorAndOpeningAgainKeepsTheEdits) {
  WriteWhiteList({"games.example"});
  const std::vector<std::function<void()>> ways = {[&] { Controls().cmdAllowIEPop.Click(); },
                                                   [&] { Controls().lblLastIEPop.onClick(); },
                                                   [&] { Controls().mnuTrayLastIEPop.Click(); }};
  for (const auto& open : ways) {
    Editor().window.SetVisible(false);
    open();
    EXPECT_TRUE(Editor().window.Visible());
    EXPECT_EQ(Editor().txtTitle.Text(), "");  // nothing blocked yet
    EXPECT_FALSE(Editor().cmdAdd.Enabled());
  }
  Type("news.example");
  Editor().cmdAdd.Click();
  for (const auto& again : ways) {
    again();
    EXPECT_EQ(Editor().lstAdd.Count(), 2);
    EXPECT_TRUE(Editor().Changed());
  }
  Editor().cmdOK.Click();
  EXPECT_NE(File().find("D1=news.example"), std::string::npos);
}

TEST_F(WhiteListEditorTest, AddingLowerCasesRemovesSchemesAndRefusesShortOrDuplicate) {
  struct Row {
    const char* typed;
    const char* added;  // empty when refused
    const char* boxTitle;
    const char* boxText;
  };
  const Row rows[] = {
      {"HTTP://Www.Games.Example/Chess", "www.games.example/chess", "", ""},
      {"https://news.example https://x", "news.example x", "", ""},
      {"http://abc", "", "Substring too short.",
       "'abc' is too short.  Needs to be 5 characters or more."},
      {"  WWW.GAMES.EXAMPLE/chess ", "", "Duplicate Entry Found.",
       "'  www.games.example/chess ' is already in your list of 'White Listed Sites' to "
       "Block'. "},
      {"     ", "     ", "", ""},  // five blanks pass the length test
  };
  Controls().cmdAllowIEPop.Click();
  int expected = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    size_t shown = dialogs.Boxes().size();
    Type(row.typed);
    Editor().cmdAdd.Click();
    if (*row.added != '\0') {
      ++expected;
      ASSERT_EQ(Editor().lstAdd.Count(), expected);
      EXPECT_EQ(Editor().lstAdd.Item(expected - 1), row.added);
      EXPECT_EQ(Editor().lstAdd.ListIndex(), expected - 1);
      EXPECT_EQ(dialogs.Boxes().size(), shown);
    } else {
      EXPECT_EQ(Editor().lstAdd.Count(), expected);
      ASSERT_EQ(dialogs.Boxes().size(), shown + 1);
      EXPECT_EQ(dialogs.Boxes().back().title, row.boxTitle);
      EXPECT_EQ(dialogs.Boxes().back().text, row.boxText);
      EXPECT_EQ(dialogs.Boxes().back().style, msgbox::kInformation);
    }
  }
  EXPECT_TRUE(Editor().Changed());
  Editor().cmdOK.Click();
  // The blank entry is saved, and loads as nothing.
  EXPECT_NE(File().find("D2=     "), std::string::npos);
  EXPECT_EQ((*Popups().WhiteList().aIEWhiteList())[2], "");
}

// A delete without a selection still counts as a change; cancel leaves file and list alone.
TEST_F(WhiteListEditorTest, DeleteThenCancelLeavesFileAndListAlone) {
  WriteWhiteList({"games.example", "news.example"});
  std::string before = File();
  Controls().cmdAllowIEPop.Click();
  Editor().cmdDel.Click();
  EXPECT_TRUE(Editor().Changed());
  EXPECT_EQ(Editor().lstAdd.Count(), 2);
  Editor().lstAdd.SetListIndex(0);
  EXPECT_TRUE(Editor().cmdDel.Enabled());
  Editor().cmdDel.Click();
  EXPECT_EQ(Editor().lstAdd.Items(), std::vector<std::string>{"news.example"});
  EXPECT_FALSE(Editor().cmdDel.Enabled());
  Editor().cmdCancel.Click();
  EXPECT_FALSE(Editor().window.Visible());
  EXPECT_EQ(File(), before);
  page->Navigate("http://games.example/");
  EXPECT_FALSE(browsers.OpenFrom(page));
  // Reopening shows the file's list again; deleting and saving blocks the site again.
  Controls().cmdAllowIEPop.Click();
  EXPECT_EQ(Editor().lstAdd.Count(), 2);
  EXPECT_FALSE(Editor().Changed());
  Editor().lstAdd.SetListIndex(0);
  Editor().cmdDel.Click();
  Editor().cmdOK.Click();
  EXPECT_TRUE(browsers.OpenFrom(page));
}

}  // namespace
}  // namespace quorlen
