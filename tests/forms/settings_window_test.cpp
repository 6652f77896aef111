#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

class SettingsWindowTest : public ProgramTest {
 protected:
  frmMain& Running() {
    StartedBefore();
    frmMain& main = Start();
    clock.Advance(2500);
    return main;
  }
};

TEST_F(SettingsWindowTest, EachSoundOptionEnablesItsPathAndButtons) {
  frmMain& main = Running();
  auto& c = main.Controls();
  struct Option {
    const char* name;
    CheckBox& enable;
    TextBox& path;
    Button& browse;
    Button& test;
    bool& member;
  };
  for (const Option& o : std::vector<Option>{
           {"banner", c.chkBannerSound, c.txtBannerWav, c.cmdBrowseAd, c.cmdTestAd,
            main.Options().bBannerSound},
           {"popup", c.chkPopSound, c.txtPopWav, c.cmdBrowsePop, c.cmdTestPop,
            main.Options().bPopSound},
       }) {
    ASSERT_TRUE(o.enable.Ticked()) << o.name;
    o.enable.Click();
    EXPECT_FALSE(o.member) << o.name;
    EXPECT_FALSE(o.path.Enabled() || o.browse.Enabled() || o.test.Enabled()) << o.name;
    o.enable.Click();
    EXPECT_TRUE(o.member) << o.name;
    EXPECT_TRUE(o.path.Enabled() && o.browse.Enabled() && o.test.Enabled()) << o.name;
  }
  EXPECT_EQ(SettingsValue("bBannerSound"), "<missing>");  // nothing saved by the boxes
}

// Unticked and not saved, the option comes back ticked at the next start; an exit saves it.
TEST_F(SettingsWindowTest, AnUntickedSoundLastsOnlyWhenSaved) {
  frmMain& first = Running();
  first.Controls().chkBannerSound.Click();
  program.reset();
  frmMain& second = Start();
  EXPECT_TRUE(second.Controls().chkBannerSound.Ticked());
  EXPECT_TRUE(second.Controls().txtBannerWav.Enabled());
  second.Controls().chkBannerSound.Click();
  second.Controls().mnuFileExit.Click();
  program.reset();
  frmMain& third = Start();
  EXPECT_FALSE(third.Controls().chkBannerSound.Ticked());
  EXPECT_FALSE(third.Controls().cmdTestAd.Enabled());
}

TEST_F(SettingsWindowTest, BrowseChoosesAWaveFileAndCancelChangesNothing) {
  frmMain& main = Running();
  auto& c = main.Controls();
  const std::string shipped = dir.File("program/ad.wav");
  EXPECT_EQ(c.txtBannerWav.Text(), shipped);

  dialogs.ChooseNext(std::nullopt);
  c.cmdBrowseAd.Click();
  ASSERT_EQ(dialogs.FileRequests().size(), 1u);
  const FileDialogRequest& request = dialogs.FileRequests()[0];
  EXPECT_EQ(request.fileName, shipped);
  EXPECT_EQ(request.defaultExtension, "wav");
  EXPECT_EQ(request.title, "Choose Sound File");
  EXPECT_EQ(request.filter, "*.wav");
  EXPECT_EQ(c.txtBannerWav.Text(), shipped);
  EXPECT_EQ(main.Options().sBannerSound, shipped);

  dialogs.ChooseNext("/home/user/ding.wav");
  c.cmdBrowsePop.Click();
  EXPECT_EQ(dialogs.FileRequests()[1].fileName, dir.File("program/pop.wav"));
  EXPECT_EQ(c.txtPopWav.Text(), "/home/user/ding.wav");
  EXPECT_EQ(main.Options().sPopSound, "/home/user/ding.wav");
  EXPECT_EQ(c.txtBannerWav.Text(), shipped);
}

TEST_F(SettingsWindowTest, TestSoundPlaysWhatTheBoxNamesAtOnce) {
  frmMain& main = Running();
  auto& c = main.Controls();
  c.txtBannerWav.SetText("/nowhere/missing.wav");
  c.cmdTestAd.Click();
  c.cmdTestPop.Click();
  EXPECT_EQ(sound.played,
            (std::vector<std::string>{"/nowhere/missing.wav", dir.File("program/pop.wav")}));
  EXPECT_EQ(main.Options().sBannerSound, "/nowhere/missing.wav");  // typed, not saved
  EXPECT_TRUE(dialogs.Boxes().empty());                            // a missing file is silent
}

TEST_F(SettingsWindowTest, Label4OpensTheDebugAreaAtTheFifthClick) {
  frmMain& main = Running();
  auto& window = main.Controls().window;
  SettingsWindowSize& area = main.WindowSize();
  const Geometry fixed = window.Bounds();
  auto resizeTo = [&](int width, int height) {
    window.SetBounds({fixed.left, fixed.top, width, height});
    area.Form_Resize();
  };
  for (int click = 0; click < 2; ++click) main.Controls().Label4.onClick();
  for (int click = 0; click < 2; ++click) main.Controls().Label4.onDoubleClick();
  resizeTo(900, 700);
  EXPECT_EQ(window.Bounds(), fixed);
  EXPECT_FALSE(area.Open());

  int opened = 0;
  area.changed.Connect([&] { ++opened; });
  main.Controls().Label4.onClick();
  EXPECT_TRUE(area.Open());
  area.SetLogTop(fixed.height + 40);
  resizeTo(900, 700);
  EXPECT_EQ(window.Bounds().width, 900);
  EXPECT_EQ(window.Bounds().height, 700);
  EXPECT_EQ(area.LogBounds(), (Geometry{6, fixed.height + 40, 900 - 13, 700 - fixed.height - 40}));
  EXPECT_GE(opened, 2);
  resizeTo(300, 100);  // too small for the log: it stays where it was
  EXPECT_EQ(area.LogBounds().width, 900 - 13);
}

TEST_F(SettingsWindowTest, AdBlockingHelpShowsItsBox) {
  frmMain& main = Running();
  main.Controls().cmdHelpBlock.Click();
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  const auto& box = dialogs.Boxes()[0];
  EXPECT_EQ(box.title, "Quorlen Blocking Ads Help");
  EXPECT_EQ(box.style, 64);
  EXPECT_EQ(box.text.rfind("FOR ALL BROWSERS:  Selecting the 'Block Banner Ads...' checkbox "
                           "prevents ads from loading from the known list of active ad servers."
                           "  This also will blocks many of the popup ads from loading (like the "
                           "x10 popup ads as well as standard banner ads).\r\n\r\nFOR INTERNET "
                           "EXPLORER (AND AOL) BROWSERS:  Quorlen has extra",
                           0),
            0u);
  EXPECT_NE(box.text.find("checkbox. The extra popup blocking capability of Quorlen is not "
                          "dependent on any predefined list of ad servers.\r\n\r\nIf you ese "
                          "Netscape or Opera (or any browser besides IE), Quorlen will still "),
            std::string::npos);
  EXPECT_TRUE(box.text.ends_with("but not as many as Internet Explorer (and AOL) users."));
}

TEST_F(SettingsWindowTest, EveryCommandThatOpensAFileOrAPage) {
  frmMain& main = Running();
  auto& c = main.Controls();
  struct Command {
    const char* name;
    std::function<void()> click;
    std::string file;
  };
  const std::string hosts = dir.File("etc/hosts");
  for (const Command& command : std::vector<Command>{
           {"Readme.txt", [&] { c.mnuHelpReadMe.Click(); }, dir.File("program/readme.txt")},
           {"Open blocked Hosts List", [&] { c.mnuFileOpen.Click(); },
            dir.File("program/quorlenhosts.ini")},
           {"QLH", [&] { c.cmdIni.Click(); }, dir.File("program/quorlenhosts.ini")},
           {"HF", [&] { c.Command1.Click(); }, hosts},
           {"HB", [&] { c.Command2.Click(); }, hosts + "qlb"},
       }) {
    desktop.opened.clear();
    command.click();
    EXPECT_EQ(desktop.opened, std::vector<std::string>{command.file}) << command.name;
  }
  // With nothing that can show a file, the user is told so.
  desktop.editorStarts = false;
  const size_t boxes = dialogs.Boxes().size();
  c.mnuHelpReadMe.Click();
  ASSERT_EQ(dialogs.Boxes().size(), boxes + 1);
  EXPECT_EQ(dialogs.Boxes().back().text,
            "Quorlen found no program to show " + dir.File("program/readme.txt") +
                ": no text editor, terminal or xdg-open could be started.");
  EXPECT_EQ(dialogs.Boxes().back().style, msgbox::kExclamation);

  struct Page {
    const char* name;
    std::function<void()> click;
    std::string address;
  };
  const std::string vendor = SiteAddresses{}.vendor;
  for (const Page& page : std::vector<Page>{
           {"Help Online (menu)", [&] { c.mnuHelpWeb.Click(); }, vendor + "help.asp"},
           {"Help Online (button)", [&] { c.cmdHelpOnline.Click(); }, vendor + "help.asp"},
           {"Online Tutorial", [&] { c.mnuHelpTut.Click(); }, vendor + "helptut.asp"},
       }) {
    desktop.browsed.clear();
    page.click();
    ASSERT_EQ(desktop.browsed.size(), 1u) << page.name;
    EXPECT_EQ(desktop.browsed[0].second, page.address) << page.name;
  }

  struct Feedback {
    const char* name;
    std::function<void()> click;
  };
  frmFeedback& feedback = main.Help().Feedback();
  for (const Feedback& entry : std::vector<Feedback>{
           {"Help menu", [&] { c.mnuHelpFeedback.Click(); }},
           {"tray menu", [&] { c.mnuTrayFeedback.Click(); }},
           {"Feedback button", [&] { c.cmdFeedback.Click(); }},
           {"blocking-on picture", [&] { c.picOn.onClick(); }},
           {"uninstall menu", [&] { c.mnuUninstallFeedback.Click(); }},
       }) {
    feedback.cmdCancel.Click();
    feedback.sProduct.clear();
    entry.click();
    EXPECT_TRUE(feedback.window.Visible()) << entry.name;
    EXPECT_EQ(feedback.sProduct, "Quorlen") << entry.name;
  }
  c.mnuHelpAbout.Click();
  EXPECT_TRUE(main.Help().About().window.Visible());
}

}  // namespace
}  // namespace quorlen
