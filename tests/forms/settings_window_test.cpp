#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using SettingsWindowTest = testing_support::ProgramTest;

TEST_F(SettingsWindowTest, EachSoundOptionEnablesItsControlsAndAnUntickedOneLastsOnlyWhenSaved) {
  frmMain& main = Running();
  auto& c = main.Controls();
  const std::string saved = Settings();
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
  EXPECT_EQ(Settings(), saved);  // nothing saved by the boxes

  // Unticked and not saved, the option comes back ticked at the next start; an exit saves it.
  c.chkBannerSound.Click();
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

// Test Sound plays what the box names, saved or not; a missing file is silent.
TEST_F(SettingsWindowTest, BrowseChoosesTheFileThatTestSoundPlays) {
  frmMain& main = Running();
  auto& c = main.Controls();
  const std::string shipped = dir.File("program/ad.wav");
  dialogs.ChooseNext(std::nullopt);
  c.cmdBrowseAd.Click();
  ASSERT_EQ(dialogs.FileRequests().size(), 1u);
  const FileDialogRequest& asked = dialogs.FileRequests()[0];
  EXPECT_EQ(asked.fileName + " " + asked.defaultExtension + " " + asked.filter,
            shipped + " wav *.wav");
  EXPECT_EQ(c.txtBannerWav.Text(), shipped);
  EXPECT_EQ(main.Options().sBannerSound, shipped);

  dialogs.ChooseNext("/home/user/ding.wav");
  c.cmdBrowsePop.Click();
  EXPECT_EQ(dialogs.FileRequests()[1].fileName, dir.File("program/pop.wav"));
  EXPECT_EQ(c.txtPopWav.Text(), "/home/user/ding.wav");
  EXPECT_EQ(main.Options().sPopSound, "/home/user/ding.wav");
  c.txtBannerWav.SetText("/nowhere/missing.wav");
  c.cmdTestAd.Click();
  c.cmdTestPop.Click();
  EXPECT_EQ(sound.played,
            (std::vector<std::string>{"/nowhere/missing.wav", "/home/user/ding.wav"}));
  EXPECT_EQ(main.Options().sBannerSound, "/nowhere/missing.wav");  // typed, not saved
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(SettingsWindowTest, WithNothingToShowAFileTheUserIsTold) {
  frmMain& main = Running();
  desktop.editorStarts = false;
  main.Controls().mnuHelpReadMe.Click();
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].Line(),
            "Quorlen (48): Quorlen found no program to show " + dir.File("program/readme.txt") +
                ": no text editor, terminal or xdg-open could be started.");
}

}  // namespace
}  // namespace quorlen
