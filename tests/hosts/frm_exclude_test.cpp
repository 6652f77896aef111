#include "hosts/frm_exclude.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/virtual_clock.h"
#include "tests/support/list_file_text.h"
#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

using testing_support::ListFile;
using testing_support::TempFolder;

class ExcludeEditor : public ::testing::Test {
 protected:
  ExcludeEditor() {
    dir.Write("quorlenhosts.ini",
              ListFile({"a.ads.example", "b.ads.example", "tracker.example", "Banner.Example"}));
    dir.Write("quorlenhostsexc.ini", ListFile({"allowed.example", "", "kept.example"}));
    dir.Write("userhosts.ini", ListFile({"mine.example", "other.example"}));
  }
  frmExclude& Open() {
    editor = std::make_unique<frmExclude>(
        profiles, dialogs, clock, ExcludeFiles{defaultList, exclusionsList, userList},
        ExcludeHooks{[this] { return lastBlocked; }, [this] { return picked; },
                     [this](const std::string& r) { picked = r; },
                     [this] { calls.push_back("reload allowed"); },
                     [this](bool report) { calls.push_back(report ? "rebuild(true)" : "rebuild"); },
                     [this] { calls.push_back("titles editor"); }});
    editor->Show();
    return *editor;
  }
  void Type(TextBox& box, const std::string& text) { box.SetText(text); }

  TempFolder dir;
  VirtualClock clock;
  ScriptedDialogs dialogs;
  ProfileStore profiles;
  std::string defaultList = dir.File("quorlenhosts.ini");
  std::string exclusionsList = dir.File("quorlenhostsexc.ini");
  std::string userList = dir.File("userhosts.ini");
  std::string lastBlocked;
  std::string picked;
  std::vector<std::string> calls;
  std::unique_ptr<frmExclude> editor;
};

TEST_F(ExcludeEditor, LoadsTheThreeListsAndStartsWithEditingOff) {
  frmExclude& e = Open();
  EXPECT_TRUE(e.window.Visible());
  EXPECT_EQ(e.lstAll.Items(), (std::vector<std::string>{"a.ads.example", "b.ads.example",
                                                        "tracker.example", "Banner.Example"}));
  EXPECT_EQ(e.aServers().size(), 5u) << "slots 0 to N";
  EXPECT_EQ(e.lstExclude.Items(), (std::vector<std::string>{"allowed.example", "kept.example"}));
  EXPECT_EQ(e.lstAdd.Items(), (std::vector<std::string>{"mine.example", "other.example"}));
  for (Button* b : {&e.cmdDo, &e.cmdUndo, &e.cmdAdd, &e.cmdDel}) EXPECT_FALSE(b->Enabled());
  EXPECT_FALSE(e.bChanged());
  EXPECT_EQ(e.lblLast.Caption(), "");
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_FALSE(dialogs.WaitCursor());
}

TEST_F(ExcludeEditor, PreSelectsThePickedRecordOrTheLastBlockedServer) {
  struct Case {
    std::string picked;
    std::string lastBlocked;
    std::string find;
    int selected;
    std::string hint;
  };
  const std::vector<Case> cases = {
      {"", "", "", -1, ""},
      {"", "tracker.example", "tracker.example", 2,
       "The last Ad blocked was from the server 'tracker.example' To allow all content from "
       "tracker.example from now on, click the '=>' button."},
      {"09:05:07 'b.ads.example'  from 'http://page.example/' by 'Mozilla'", "tracker.example",
       "b.ads.example", 1,
       "The Ad Server you click on was 'b.ads.example' To allow all content from b.ads.example "
       "from now on, click the '=>' button."},
      // Not in the default list: the hint points to the user's list.
      {"", "mine.example", "mine.example", -1,
       "The last Ad blocked was from the server 'mine.example' To allow all content from "
       "mine.example select it from your personal blocked server list and click the "
       "'Delete from List' button."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picked + "|" + c.lastBlocked);
    picked = c.picked;
    lastBlocked = c.lastBlocked;
    frmExclude& e = Open();
    EXPECT_EQ(e.txtFind.Text(), c.find);
    EXPECT_EQ(e.lstAll.ListIndex(), c.selected);
    EXPECT_EQ(e.lblLast.Caption(), c.hint);
    EXPECT_EQ(e.cmdDo.Enabled(), c.selected >= 0) << "selecting in the default list enables =>";
    EXPECT_EQ(picked, "") << "a picked record is used once";
    EXPECT_TRUE(dialogs.Boxes().empty());
  }
}

TEST_F(ExcludeEditor, FindNextContinuesAfterTheHitAndWrapsAfterTheLast) {
  frmExclude& e = Open();
  e.cmdGo.Click();
  EXPECT_EQ(dialogs.Boxes().back().text,
            "You need to first type something in the 'Find' box i.e. ads.example.com");
  Type(e.txtFind, "ads");
  std::vector<int> hits;
  std::vector<std::string> captions;
  for (int i = 0; i < 4; ++i) {
    e.cmdGo.Click();
    hits.push_back(e.lstAll.ListIndex());
    captions.push_back(e.cmdGo.Caption());
  }
  EXPECT_EQ(hits, (std::vector<int>{0, 1, 1, 0}));
  EXPECT_EQ(captions, (std::vector<std::string>{"Find Next", "Find Next", "Find", "Find Next"}));
  EXPECT_EQ(dialogs.Boxes().back().text, "Sorry, didn't find ads in the list.  Please try again.");
  EXPECT_EQ(dialogs.Boxes().size(), 2u);

  Type(e.txtFind, "Banner");  // the search is case-sensitive and starts over on typing
  e.cmdGo.Click();
  EXPECT_EQ(e.lstAll.ListIndex(), 3);
  Type(e.txtFind, "banner");
  e.cmdGo.Click();
  EXPECT_EQ(dialogs.Boxes().size(), 3u);
}

TEST_F(ExcludeEditor, AllowingAndTakingBackAnAllowedServer) {
  frmExclude& e = Open();
  e.lstAll.SetListIndex(2);
  e.cmdDo.Click();
  EXPECT_EQ(e.lstExclude.Items().back(), "tracker.example");
  EXPECT_EQ(e.lstAll.Count(), 4) << "the server stays in the default list";
  EXPECT_TRUE(e.bChanged());
  e.cmdDo.Click();
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  const auto& box = dialogs.Boxes()[0];
  EXPECT_EQ(std::tuple(box.text, box.title, box.style),
            std::tuple("'tracker.example' is already in the 'Allow Sites List'",
                       "Duplicate Server Entry", msgbox::kInformation));

  e.lstExclude.SetListIndex(0);
  EXPECT_TRUE(e.cmdUndo.Enabled());
  e.cmdUndo.Click();
  EXPECT_EQ(e.lstExclude.Items(), (std::vector<std::string>{"kept.example", "tracker.example"}));
  EXPECT_EQ(e.lblExclude.Caption(), "2 Allowed (unblocked) Ad Servers");
}

TEST_F(ExcludeEditor, DeletingAUsersServerAllowsIt) {
  frmExclude& e = Open();
  e.lstAdd.SetListIndex(0);
  EXPECT_TRUE(e.cmdDel.Enabled());
  e.cmdDel.Click();
  EXPECT_EQ(e.lstAdd.Items(), std::vector<std::string>{"other.example"});
  EXPECT_EQ(e.lstExclude.Items().back(), "mine.example");
  EXPECT_FALSE(e.cmdDel.Enabled());
  EXPECT_TRUE(e.bChanged());
  e.lstAdd.SetListIndex(0);
  e.cmdDel.Click();
  EXPECT_EQ(e.lstExclude.Count(), 4);
  EXPECT_EQ(e.lblExclude.Caption(), "3 Allowed (unblocked) Ad Servers") << "counted at load only";
}

TEST_F(ExcludeEditor, AddChecksInOrder) {
  struct Case {
    const char* typed;
    const char* title;  // empty: added
    const char* textStart;
  };
  const std::vector<Case> cases = {
      {"http://ads.example/x", "Don't use leading http://",
       "Do not use a leading \"http://\".  Just specify a domain like \"ads.example.com\""},
      {"10.0.0.1/ads", "Compound URLs not supported at this time.",
       "We're sorry, only domain names are allowed. No compound names"},
      {"10.0.0.1", "There was an error in your input",
       "We're sorry, only domain names are allowed. No IP addresses are accepted. \r\n\r\nOnly "
       "domains names (not IPs) like \"ads.example.com\" or \"banners.example.net\" are allowed. "
       " "},
      {"", "There was an error in your input", "We're sorry"},
      {" BANNER.example ", "Duplicate Ad Server Entry Found.",
       "The domain ' BANNER.example ' is in the default list of servers Quorlen Blocks. \r\n\r\n"},
      {"Mine.Example", "Duplicate Entry Found.",
       "'Mine.Example' is already in your list of 'Additional Ad Server to Block'. "},
      {"new.example", "", ""},
      {"new.example", "Duplicate Entry Found.", "'new.example' is already"},
  };
  frmExclude& e = Open();
  // Add is enabled at the sixth character and stays so.
  Type(e.txtServer, "ab.cd");
  EXPECT_FALSE(e.cmdAdd.Enabled());
  Type(e.txtServer, "ab.cde");
  Type(e.txtServer, "ab");
  EXPECT_TRUE(e.cmdAdd.Enabled());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const size_t before = dialogs.Boxes().size();
    Type(e.txtServer, c.typed);
    e.cmdAdd.Click();
    if (std::string(c.title).empty()) {
      EXPECT_EQ(dialogs.Boxes().size(), before);
      EXPECT_EQ(e.lstAdd.Text(), c.typed) << "added as typed and selected";
      continue;
    }
    ASSERT_EQ(dialogs.Boxes().size(), before + 1);
    EXPECT_EQ(dialogs.Boxes().back().title, c.title);
    EXPECT_EQ(dialogs.Boxes().back().style, msgbox::kInformation);
    EXPECT_EQ(dialogs.Boxes().back().text.rfind(c.textStart, 0), 0u) << dialogs.Boxes().back().text;
  }
  EXPECT_EQ(e.lstAll.ListIndex(), 3) << "the default-list entry is selected";
  EXPECT_EQ(e.lstAdd.Items(),
            (std::vector<std::string>{"mine.example", "other.example", "new.example"}));
  EXPECT_FALSE(dialogs.WaitCursor());
}

TEST_F(ExcludeEditor, AddingAnAllowedServerAsksFirst) {
  for (int answer : {msgbox::kAnswerNo, msgbox::kAnswerYes}) {
    SCOPED_TRACE(answer);
    frmExclude& e = Open();
    dialogs.AnswerNext(answer);
    Type(e.txtServer, "KEPT.example");
    e.cmdAdd.Click();
    const auto& box = dialogs.Boxes().back();
    EXPECT_EQ(std::tuple(box.title, box.style), std::tuple("Are you Sure?", msgbox::kYesNo));
    EXPECT_EQ(box.text,
              "'KEPT.example' is already in the 'Allowed Sites' list. \r\n\r\n"
              "Are you sure you want to block all content  from 'KEPT.example'?");
    const bool yes = answer == msgbox::kAnswerYes;
    const std::vector<std::string> allowed = {"allowed.example", "kept.example"};
    EXPECT_EQ(
        std::tuple(e.lstExclude.Items(), e.lstAdd.Count(), e.bChanged()),
        std::tuple(yes ? std::vector<std::string>{"allowed.example"} : allowed, yes ? 3 : 2, yes));
    EXPECT_EQ(e.lblExclude.Caption(), "3 Allowed (unblocked) Ad Servers");
  }
}

TEST_F(ExcludeEditor, OkSavesOnlyChangesAndHasTheHostsFileRebuilt) {
  const std::string userBefore = dir.Read("userhosts.ini");
  frmExclude& e = Open();
  e.cmdOK.Click();
  EXPECT_FALSE(e.window.Visible());
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_EQ(dir.Read("userhosts.ini"), userBefore);
  EXPECT_FALSE(dir.Exists("quorlenhostsexc.ini.tmp"));

  Open();
  Type(editor->txtServer, "added.example");
  editor->cmdAdd.Click();
  editor->lstAll.SetListIndex(0);
  editor->cmdDo.Click();
  editor->cmdOK.Click();
  EXPECT_EQ(calls, (std::vector<std::string>{"reload allowed", "rebuild(true)"}));
  EXPECT_EQ(dir.Read("userhosts.ini"),
            ListFile({"mine.example", "other.example", "added.example"}));
  EXPECT_EQ(dir.Read("quorlenhostsexc.ini"),
            ListFile({"allowed.example", "kept.example", "a.ads.example"}));
  EXPECT_EQ(dialogs.Boxes().back().text,
            "If the changes you've made don't seem to work right away, try closing all of your "
            "browser windows first. \r\n\r\nIf that doesn't work, restarting your computer should "
            "take care of it.");
  EXPECT_FALSE(editor->window.Visible());
}

TEST_F(ExcludeEditor, CancelAndTheTitlesLinkCloseWithoutSaving) {
  frmExclude& e = Open();
  Type(e.txtServer, "added.example");
  e.cmdAdd.Click();
  e.cmdCancel.Click();
  EXPECT_FALSE(e.window.Visible());
  Open();
  EXPECT_EQ(editor->lstAdd.Count(), 2) << "the next opening reads the files afresh";
  EXPECT_TRUE(editor->lblPopupTitles.Visible());
  editor->lblPopupTitles.onClick();
  EXPECT_FALSE(editor->window.Visible());
  EXPECT_EQ(calls, std::vector<std::string>{"titles editor"});

  frmExclude withoutTitles(profiles, dialogs, clock, {defaultList, exclusionsList, userList}, {});
  EXPECT_FALSE(withoutTitles.lblPopupTitles.Visible()) << "no link to an editor that is not there";
}

}  // namespace
}  // namespace quorlen
