#include "titles/frm_popup_titles.h"

#include <gtest/gtest.h>

#include "tests/titles/titles_fixture.h"

namespace quorlen {
namespace {

class PopupTitlesEditorTest : public testing_support::TitleWatcherTest {
 protected:
  PopupTitlesEditorTest() {
    WriteDefaultList({"casino", "lottery winner", "free gift"});
    titles.LoadPopupTitles();
  }

  std::string pickedRecord;
  int reloads = 0;
  frmPopupTitles editor{
      clock,
      dialogs,
      desk,
      profiles,
      userList,
      defaultList,
      {[this] { return watcher.sLastTitleFragment(); }, [this] { return pickedRecord; },
       [this](const std::string& record) { pickedRecord = record; },
       [this] {
         ++reloads;
         titles.LoadPopupTitles();
       }}};
};

TEST_F(PopupTitlesEditorTest, OpensWithTheListAndNothingToAddOrDelete) {
  editor.Show();
  EXPECT_EQ(editor.lstAdd.Items(),
            (std::vector<std::string>{"casino", "lottery winner", "free gift"}));
  EXPECT_EQ(editor.lstAdd.ListIndex(), -1);
  EXPECT_FALSE(editor.cmdAdd.Enabled());
  EXPECT_FALSE(editor.cmdDel.Enabled());
  EXPECT_FALSE(editor.Timer1.Enabled());
  EXPECT_NE(editor.Label5.Caption(), TitleWatcher::kWindowsNotSeenLabel);

  // A desktop that shows no windows: the list can be edited, but closes are not promised.
  editor.Unload();
  desk.seesWindows = false;
  editor.Show();
  EXPECT_EQ(editor.Label5.Caption(), TitleWatcher::kWindowsNotSeenLabel);
  EXPECT_EQ(editor.lstAdd.Count(), 3);
}

TEST_F(PopupTitlesEditorTest, AddRefusesShortTextsAndDuplicates) {
  const std::string shortText = "' is too short.  Needs to be 5 characters or more.";
  const std::string listed = "' is already in your list of 'Additional Popup Windows to Block'. ";
  struct Case {
    const char* text;
    std::string box;  // "": added
    int selected;
  };
  const Case cases[] = {
      {"abcd", "Substring too short. (64): 'abcd" + shortText, -1},
      {"    ", "Substring too short. (64): '    " + shortText, -1},
      {" CASINO", "Duplicate Entry Found. (64): ' CASINO" + listed, 0},
      {"Free Gift  ", "Duplicate Entry Found. (64): 'Free Gift  " + listed, 2},
      {"abcde", "", 3},
      {" spaced out ", "", 4},
  };
  editor.Show();
  std::vector<std::string> expected = editor.lstAdd.Items();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    size_t boxes = dialogs.Boxes().size();
    editor.lstAdd.SetListIndex(-1);
    editor.txtTitle.SetText(c.text);
    editor.cmdAdd.Click();
    if (!c.box.empty()) {
      ASSERT_EQ(dialogs.Boxes().size(), boxes + 1);
      EXPECT_EQ(dialogs.Boxes().back().Line(), c.box);
    } else {
      EXPECT_EQ(dialogs.Boxes().size(), boxes);
      expected.push_back(c.text);  // exactly as typed
    }
    EXPECT_EQ(editor.lstAdd.Items(), expected);
    EXPECT_EQ(editor.lstAdd.ListIndex(), c.selected);
  }
  EXPECT_TRUE(editor.Changed());
}

TEST_F(PopupTitlesEditorTest, AfterACloseTheFragmentIsSelectedAndDeleteBlinks) {
  WindowId popup = Foreground("Casino night - Chromium");
  clock.Advance(500);
  ASSERT_FALSE(desk.Exists(popup));

  editor.Show();
  EXPECT_EQ(editor.lstAdd.Text(), "casino");
  EXPECT_TRUE(editor.Timer1.Enabled());
  std::vector<std::string> states;  // Delete, second by second
  for (int second = 0; second < 11; ++second) {
    clock.Advance(1000);
    states.push_back(editor.cmdDel.Enabled() ? "on" : "off");
  }
  EXPECT_EQ(states, (std::vector<std::string>{"off", "on", "off", "on", "off", "on", "off", "on",
                                              "off", "on", "on"}));
  EXPECT_FALSE(editor.Timer1.Enabled());

  // One click on Delete and OK (the window then left open: tests/forms/title_blocking_test).
  editor.cmdDel.Click();
  EXPECT_FALSE(editor.cmdDel.Enabled());
  editor.cmdOK.Click();
  EXPECT_FALSE(editor.window.Visible());
  EXPECT_EQ(reloads, 1);
}

TEST_F(PopupTitlesEditorTest, DeleteThenCancelLeavesTheUserListAlone) {
  for (bool userListExists : {true, false}) {
    SCOPED_TRACE(userListExists);
    std::filesystem::remove(userList);
    if (userListExists)
      WriteFile("usertitles.ini", testing_support::ListFile({"casino", "jackpot"}));
    const std::string before = dir.Read("usertitles.ini");
    editor.Show();
    editor.lstAdd.SetListIndex(0);
    ASSERT_TRUE(editor.cmdDel.Enabled());
    editor.cmdDel.Click();
    editor.cmdCancel.Click();
    EXPECT_FALSE(editor.window.Visible());
    EXPECT_EQ(dir.Exists("usertitles.ini"), userListExists);
    EXPECT_EQ(dir.Read("usertitles.ini"), before);
    EXPECT_EQ(reloads, 0);
  }
}

// OK without changes writes nothing; showing the open window again keeps its edits.
TEST_F(PopupTitlesEditorTest, OkWithOnlyTheDefaultListWritesAllOfItPlusTheChange) {
  editor.Show();
  editor.lstAdd.SetListIndex(1);
  editor.cmdOK.Click();
  EXPECT_FALSE(dir.Exists("usertitles.ini"));
  EXPECT_EQ(reloads, 0);

  const std::string shipped = dir.Read("qltitles.ini");
  editor.Show();
  editor.txtTitle.SetText("Special Offer");
  editor.cmdAdd.Click();
  editor.Show();
  EXPECT_EQ(editor.lstAdd.Count(), 4);
  EXPECT_TRUE(editor.Changed());
  editor.cmdOK.Click();
  EXPECT_EQ(ReadList("usertitles.ini"),
            (std::vector<std::string>{"casino", "lottery winner", "free gift", "Special Offer"}));
  EXPECT_EQ(dir.Read("qltitles.ini"), shipped);
  // From now on the user's list is the one shown.
  WriteDefaultList({"something else"});
  editor.Show();
  EXPECT_EQ(editor.lstAdd.Count(), 4);
}

TEST_F(PopupTitlesEditorTest, OpenWindowsAreListedTopMostFirstWithoutTheExcludedOnes) {
  const std::pair<const char*, const char*> windows[] = {
      {"Terminal", "XTerm"},
      {"", "Gnome-calculator"},
      {"Hidden dialog", "Dialog"},  // not visible
      {"Quorlen (on Linux 6.1.0) by Kestro v1.0.0", "quorlen"},
      {"Popup Window Blocking Using  Window Titles", "quorlen"},
      {"", "Shell_TrayWnd"},
      {"Program Manager", "Progman"},
      {"Program Manager 2", "Progman"},
      {"", "HOM Hit Class"},
      {"", "Static"},
      {"about quorlen", "Notes"},
      {"Terminal", "XTerm"},
      {"", "AVeryLongClassNameThatGoesOnAndOnBeyondTheSixtyFourCharacterBufferOfIt"},
  };
  for (const auto& [title, className] : windows) {
    desk.Get(desk.Add(title, className)).visible = std::string_view(className) != "Dialog";
  }
  editor.Show();
  EXPECT_EQ(editor.lstCurrent.Items(),
            (std::vector<std::string>{
                "AVeryLongClassNameThatGoesOnAndOnBeyondTheSixtyFourCharacterBuf", "Terminal",
                "about quorlen", "Program Manager 2", "Gnome-calculator", "Terminal"}));

  // Picking an open window puts its title up for adding; Refresh reads the desktop again.
  editor.lstCurrent.SetListIndex(1);
  EXPECT_EQ(editor.txtTitle.Text(), "Terminal");
  EXPECT_TRUE(editor.cmdAdd.Enabled());
  desk.Add("Casino", "Navigator");
  editor.cmdRefresh.Click();
  EXPECT_EQ(editor.lstCurrent.Item(0), "Casino");
  EXPECT_EQ(editor.lstCurrent.Count(), 7);
}

TEST_F(PopupTitlesEditorTest, PickedRecordOfAClosedWindowPointsAtItsFragment) {
  struct Case {
    const char* record;
    const char* selected;  // nullptr: nothing selected
    bool cleared;
  };
  const Case cases[] = {
      {"14:05:07 found 'lottery winner' within Window Title 'Lottery Winner!'", "lottery winner",
       true},
      {"14:05:07 found 'jackpot' within Window Title 'Jackpot'", nullptr, true},
      {"14:05:07 - Blocked Popup on Page 'example.com/'", nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    pickedRecord = c.record;
    editor.Show();
    EXPECT_EQ(editor.lstAdd.Text(), c.selected ? c.selected : "");
    EXPECT_EQ(editor.Timer1.Enabled(), c.selected != nullptr);
    EXPECT_EQ(pickedRecord, c.cleared ? "" : c.record);
    editor.cmdCancel.Click();
  }
}

TEST_F(PopupTitlesEditorTest, LinkToTheAdServerEditorClosesThisWindow) {
  int opened = 0;
  for (bool editorExists : {false, true}) {
    if (editorExists) editor.openAdServerEditor = [&opened] { ++opened; };
    editor.Show();
    editor.lblPopupTitles.onClick();
    EXPECT_FALSE(editor.Loaded());
  }
  EXPECT_EQ(opened, 1);
}

}  // namespace
}  // namespace quorlen
