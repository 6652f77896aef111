#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

class StartUp : public ProgramTest {};

TEST_F(StartUp, SecondCopyEndsSilentlyTouchingNothing) {
  dir.Write("program/quorlen.ini", "[Settings]\r\nbMinimized=False\r\n");
  dir.Write("etc/hosts", "127.0.0.1 localhost\n");
  singleInstance.otherCopyRunning = true;
  Start();
  clock.Advance(10000);
  EXPECT_FALSE(started);
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_TRUE(tray.calls.empty());
  EXPECT_TRUE(recording.calls.empty());
  EXPECT_EQ(clock.RunningTimers(), 0);
  EXPECT_EQ(Settings(), "[Settings]\r\nbMinimized=False\r\n");
  EXPECT_EQ(dir.Read("etc/hosts"), "127.0.0.1 localhost\n");
  EXPECT_FALSE(dir.Exists("etc/hostsqlb"));
  EXPECT_TRUE(shell.shortcuts.empty());
}

TEST_F(StartUp, LoadingShowsTheWindowAndStartsTheDelayedStep) {
  frmMain& main = Start();
  ASSERT_TRUE(started);
  EXPECT_FALSE(main.bLoading());
  EXPECT_TRUE(main.Controls().window.Visible());
  EXPECT_EQ(main.Controls().A.CurrentPage(), settings_page::kStatus);
  EXPECT_EQ(main.Controls().lblStatus.Caption(), "Please wait while Quorlen Initializes...");
  EXPECT_EQ(main.Paths().sHostsFile, dir.File("etc/hosts"));
  EXPECT_EQ(main.Paths().sAppPath, dir.File("program"));
  EXPECT_EQ(recording.calls.front(), "LoadExclusions");
  EXPECT_EQ(shell.shortcuts.size(), 1u);  // every start puts the start-up shortcut back
  EXPECT_TRUE(main.Controls().chkStartup.Ticked());
  ASSERT_FALSE(tray.calls.empty());
  EXPECT_EQ(tray.calls.front().record.szTip, std::string("Quorlen Just Started: ") + '\0');
  EXPECT_FALSE(main.Controls().mnuTrayLastPop.Enabled());
  EXPECT_TRUE(main.Timer2().Enabled());
  EXPECT_TRUE(main.Timer3().Enabled());
  EXPECT_FALSE(dialogs.WaitCursor());
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(StartUp, CaptionNamesTheSystemAndVersion) {
  system.osName = "";
  system.platform = 1;
  EXPECT_EQ(Start().Controls().window.Caption().substr(0, 39),
            "Quorlen (on Win 95, 98, or ME) by Kestr");
  ProgramTest::program.reset();
  system.platform = 2;
  system.osName = "Linux 6.1";
  EXPECT_EQ(Start().Controls().window.Caption().rfind("Quorlen (on Linux 6.1) by Kestro v", 0), 0u);
}

TEST_F(StartUp, MissingPlaceholderImageIsReportedAndTheProgramRuns) {
  std::filesystem::remove(dir.File("program/1by1.jpg"));
  Start();
  EXPECT_TRUE(started);
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            "Install failure: need this file to exists: " + dir.File("program") + " \\ 1by1.jpg");
  EXPECT_EQ(dialogs.Boxes()[0].style, msgbox::kOkOnly);
  EXPECT_EQ(dialogs.Boxes()[0].title, "Quorlen");
}

TEST_F(StartUp, FirstStartAnsweredNoSavesBlockingOff) {
  shell.trackedBrowserIsDefault = true;
  dir.Write("etc/hosts", "127.0.0.1 localhost\r\n");
  dialogs.AnswerNext(msgbox::kAnswerNo);
  frmMain& main = Start();
  const int clicksWhileLoading = recording.Count("chkAdServers_Click");
  clock.Advance(2499);
  EXPECT_TRUE(dialogs.Boxes().empty());
  clock.Advance(1);
  ASSERT_GE(dialogs.Boxes().size(), 2u);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            "In addition to popup ads, do you want Quorlen to block banner ads as well?");
  EXPECT_EQ(dialogs.Boxes()[0].title, "Block banner ads?");
  EXPECT_EQ(dialogs.Boxes()[0].style, msgbox::kYesNo);
  EXPECT_EQ(dialogs.Boxes()[1].text,
            "IMPORTANT: YOU MUST RESTART YOUR COMPUTER TO MAKE SURE ALL BLOCKING WORKS CORRECTLY!");
  EXPECT_EQ(SettingsValue("bBlockAdServers"), "False");
  EXPECT_FALSE(main.Controls().chkAdServers.Ticked());
  // The cleared box ran its handler, the responder was not started.
  EXPECT_EQ(recording.Count("chkAdServers_Click"), clicksWhileLoading + 1);
  EXPECT_EQ(recording.Count("StartWebServers"), 0);
  // Popup blocking is still on, so no "nothing blocked" warning.
  EXPECT_FALSE(main.Message().window.Visible());
  EXPECT_EQ(dir.Read("etc/hostsqlb"), "127.0.0.1 localhost\r\n");
  EXPECT_EQ(firstStart.records, 1);
  EXPECT_TRUE(main.Controls().window.Visible());  // the first start leaves the window up
}

TEST_F(StartUp, FirstStartNeverOverwritesTheBackup) {
  dir.Write("etc/hosts", "blocking version\r\n");
  dir.Write("etc/hostsqlb", "the user's own\r\n");
  Start();
  clock.Advance(2500);
  EXPECT_EQ(dir.Read("etc/hostsqlb"), "the user's own\r\n");
  // Nothing asked when the tracked browser is not the default: the setting stays on.
  EXPECT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(SettingsValue("bBlockAdServers"), "True");
}

TEST_F(StartUp, LaterStartHidesTheWindowAfterTwoAndAHalfSeconds) {
  StartedBefore();
  dir.Write("program/quorlen.ini", "[Settings]\r\nbMinimized=False\r\n");
  frmMain& main = Start();
  EXPECT_TRUE(main.Controls().window.Visible());
  clock.Advance(2499);
  EXPECT_TRUE(main.Controls().window.Visible());
  clock.Advance(1);
  EXPECT_FALSE(main.Controls().window.Visible());
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_EQ(firstStart.records, 0);
  // The delayed step runs once.
  EXPECT_FALSE(main.Timer2().Enabled());
  EXPECT_FALSE(main.bStartupPending());
}

TEST_F(StartUp, NothingBlockedIsWarnedThroughTheMessageWindow) {
  StartedBefore();
  dir.Write("program/quorlen.ini",
            "[Settings]\r\nbBlockAdServers=False\r\nbBlockIEPopups=0\r\n");
  frmMain& main = Start();
  clock.Advance(2500);
  EXPECT_TRUE(main.Message().window.Visible());
  EXPECT_EQ(main.Message().window.Caption(), "Quorlen - No Ads Being Blocked");
  EXPECT_EQ(main.Message().lblMSG.Caption(),
            "Quorlen is not blocking any ads!\r\n\r\nYou have both ad blocking options "
            "un-checked.\r\n\r\nTo change this and start blocking ads, display the Quorlen "
            "settings window and choose the 'Ad Blocking' tab.  \r\n\r\nThen check one of the "
            "ad blocking options.");
  EXPECT_EQ(recording.Count("StartWebServers"), 0);
}

TEST_F(StartUp, DelayedStepBringsTheBlockingHostsFileBack) {
  StartedBefore();
  dir.Write("program/quorlenhosts.ini", "[DomainCount]\r\nN=0\r\n");
  dir.Write("etc/hostsqlf", std::string(20000, '#') + "\r\n");
  dir.Write("etc/hosts", "own\r\n");
  recording.hostsFullySet = false;
  Start();
  clock.Advance(2500);
  EXPECT_EQ(dir.Read("etc/hosts"), dir.Read("etc/hostsqlf"));
  EXPECT_EQ(SettingsValue("bHostsFullySet"), "True");
  EXPECT_EQ(recording.Count("SetAllowControls(true)"), 1);
  EXPECT_EQ(recording.Count("StartWebServers"), 1);
  EXPECT_EQ(recording.Count("Build"), 0);  // the copy is long enough
  EXPECT_GE(clock.TotalSleptMs(), 300);
}

TEST_F(StartUp, SmallHostsFileIsRebuiltWhateverTheSavedState) {
  StartedBefore();
  dir.Write("etc/hosts", "127.0.0.1 localhost\n");
  recording.hostsFullySet = true;
  Start();
  clock.Advance(2500);
  EXPECT_EQ(recording.Count("Build"), 1);
}

TEST_F(StartUp, BlockingOffDisablesTheAllowControls) {
  StartedBefore();
  dir.Write("program/quorlenhosts.ini", "[DomainCount]\r\nN=0\r\n");
  dir.Write("program/quorlen.ini", "[Settings]\r\nbBlockAdServers=False\r\n");
  Start();
  clock.Advance(2500);
  EXPECT_EQ(recording.Count("SetAllowControls(false)"), 1);
  EXPECT_EQ(recording.Count("Build"), 0);
}

}  // namespace
}  // namespace quorlen
