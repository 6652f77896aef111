#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using StartUp = testing_support::ProgramTest;

TEST_F(StartUp, SecondCopyEndsSilentlyTouchingNothing) {
  WriteSettings("bMinimized=False\r\n");
  dir.Write("etc/hosts", "127.0.0.1 localhost\n");
  dir.Write("etc/.hosts.qlpending", "a write of the running copy\n");
  singleInstance.otherCopyRunning = true;
  Start();
  clock.Advance(10000);
  EXPECT_FALSE(started);
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_TRUE(tray.calls.empty());
  EXPECT_FALSE(Listening());
  EXPECT_EQ(clock.RunningTimers(), 0);
  EXPECT_EQ(Settings(), "[Settings]\r\nbMinimized=False\r\n");
  EXPECT_EQ(dir.Read("etc/hosts"), "127.0.0.1 localhost\n");
  EXPECT_FALSE(dir.Exists("etc/hostsqlb"));
  EXPECT_TRUE(dir.Exists("etc/.hosts.qlpending"));
  EXPECT_TRUE(shell.shortcuts.empty());
}

// A crash mid-rewrite left the complete new text beside the file: the start finishes such
// writes before it reads either file, and removes the leftovers of writes cut short earlier.
TEST_F(StartUp, InterruptedWritesAreFinishedBeforeTheFilesAreRead) {
  StartedBefore();
  dir.Write("etc/hosts", "");
  dir.Write("etc/.hosts.qlpending", "127.0.0.1 localhost\n# own\n");
  dir.Write("etc/.hostsqlf.Ab12Cd", "half a copy");
  dir.Write("program/.quorlen.ini.qlpending", "[Settings]\r\nbMinimized=True\r\n");
  dir.Write("program/.quorlen.ini.x9Y8z7", "[Settings]\r\nbMinim");
  dir.Write("program/.userhosts.ini.000000", "");
  dir.Write("program/.unrelated.Ab12Cd", "kept");
  frmMain& main = Start();
  EXPECT_EQ(dir.Read("etc/hosts"), "127.0.0.1 localhost\n# own\n");
  EXPECT_TRUE(main.Options().bMinimized);  // read from the finished settings file
  std::vector<std::string> left;
  for (const char* folder : {"etc", "program"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.File(folder))) {
      std::string name = entry.path().filename().string();
      if (name[0] == '.') left.push_back(name);
    }
  }
  EXPECT_EQ(left, std::vector<std::string>{".unrelated.Ab12Cd"});
}

TEST_F(StartUp, LoadingSetsUpTheStatusPageAndTrayThenStartsTheDelayedStep) {
  WriteSettings("bBlockAdServers=False\r\n");  // the delayed step has nothing to build
  dir.Write("program/quorlenhostsexc.ini", testing_support::ListFile({"ok.example"}));
  frmMain& main = Start();
  ASSERT_TRUE(started);
  EXPECT_FALSE(main.bLoading());
  EXPECT_EQ(main.Controls().A.CurrentPage(), settings_page::kStatus);
  EXPECT_EQ(main.Controls().lblStatus.Caption(), "Please wait while Quorlen Initializes...");
  EXPECT_EQ(main.Paths().sAppPath, dir.File("program"));
  EXPECT_EQ(main.AdServers().aExclusions().front(), "ok.example");
  ASSERT_FALSE(tray.calls.empty());
  EXPECT_EQ(tray.calls.front().record.szTip, std::string("Quorlen Just Started: ") + '\0');
  EXPECT_FALSE(main.Controls().mnuTrayLastPop.Enabled());
  EXPECT_TRUE(main.Timer3().Enabled());
  EXPECT_FALSE(dialogs.WaitCursor());
  clock.Advance(2500);  // with nothing to build it still replaces the start-up text
  EXPECT_EQ(main.Controls().lblStatus.Caption(),
            std::string("Settings Saved\r\n") + frmMain::kStarted);
}

TEST_F(StartUp, CaptionNamesTheSystemAndVersion) {
  system.osName = "";
  system.platform = 1;
  EXPECT_EQ(Start().Controls().window.Caption().substr(0, 39),
            "Quorlen (on Win 95, 98, or ME) by Kestr");
  program.reset();
  system.platform = 2;
  system.osName = "Linux 6.1";
  EXPECT_EQ(Start().Controls().window.Caption().rfind("Quorlen (on Linux 6.1) by Kestro v", 0), 0u);
}

TEST_F(StartUp, MissingPlaceholderImageIsReportedAndTheProgramRuns) {
  std::filesystem::remove(dir.File("program/1by1.jpg"));
  Start();
  EXPECT_TRUE(started);
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].Line(), "Quorlen (0): Install failure: need this file to exists: " +
                                           dir.File("program") + " \\ 1by1.jpg");
}

TEST_F(StartUp, FirstStartAnsweredNoSavesBlockingOff) {
  shell.trackedBrowserIsDefault = true;
  dir.Write("etc/hosts", "127.0.0.1 localhost\r\n");
  dialogs.AnswerNext(msgbox::kAnswerNo);
  frmMain& main = Start();
  clock.Advance(2500);
  ASSERT_GE(dialogs.Boxes().size(), 2u);
  EXPECT_EQ(dialogs.Boxes()[0].Line(),
            "Block banner ads? (4): In addition to popup ads, do you want "
            "Quorlen to block banner ads as well?");
  EXPECT_EQ(dialogs.Boxes()[1].text,
            "IMPORTANT: YOU MUST RESTART YOUR COMPUTER TO MAKE SURE ALL BLOCKING WORKS CORRECTLY!");
  EXPECT_EQ(SettingsValue("bBlockAdServers"), "False");
  EXPECT_FALSE(main.Controls().chkAdServers.Ticked());
  EXPECT_FALSE(Listening());
  EXPECT_FALSE(main.Message().window.Visible());  // popups are still blocked: no warning
  // Kept after the cleared box took the lines out, which ends the file with a line end.
  EXPECT_EQ(dir.Read("etc/hostsqlb"), "127.0.0.1 localhost\r\n\r\n");
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
  WriteSettings("bMinimized=False\r\n");
  frmMain& main = Start();
  EXPECT_TRUE(main.Controls().window.Visible());
  clock.Advance(2499);
  EXPECT_TRUE(main.Controls().window.Visible());
  clock.Advance(1);
  EXPECT_FALSE(main.Controls().window.Visible());
  EXPECT_TRUE(dialogs.Boxes().empty());
  EXPECT_EQ(firstStart.records, 0);
  EXPECT_FALSE(main.Timer2().Enabled());  // the delayed step runs once
  EXPECT_FALSE(main.bStartupPending());
}

TEST_F(StartUp, NothingBlockedIsWarnedAndTheAllowControlsGoOff) {
  Servers({});
  WriteSettings("bBlockAdServers=False\r\nbBlockIEPopups=0\r\n");
  frmMain& main = Running();
  EXPECT_TRUE(main.Message().window.Visible());
  EXPECT_EQ(main.Message().window.Caption(), "Quorlen - No Ads Being Blocked");
  EXPECT_EQ(main.Message().lblMSG.Caption().rfind("Quorlen is not blocking any ads!\r\n", 0), 0u);
  EXPECT_FALSE(main.Controls().cmdAllow.Enabled());
  EXPECT_TRUE(privileged.written.empty());
}

// Whether the copy is put back or a new file built: the table below.
TEST_F(StartUp, HostsFilePutBackFromItsCopyIsSavedAsCompleteAndCanBeAllowed) {
  Servers({});
  dir.Write("etc/hostsqlf", std::string(20000, '#') + "\r\n");
  dir.Write("etc/hosts", "own\r\n");
  WriteSettings("bHostsFullySet=False\r\n");
  frmMain& main = Running();
  EXPECT_EQ(SettingsValue("bHostsFullySet"), "True");
  EXPECT_TRUE(main.Controls().cmdAllow.Enabled());
  EXPECT_GE(clock.TotalSleptMs(), 300);
}

// The real blocker decides whether the saved state can be trusted (a file of at least
// 14001 bytes), the delayed step then rebuilds any file below 10000 bytes, whatever
// happened before; a build adds one line end to the file.
TEST_F(StartUp, HostsFileIsRebuiltBelowEitherThreshold) {
  struct Case {
    bool savedComplete;
    int hostsBytes;     // -1: no hosts file
    int fullCopyBytes;  // 0: no "qlf" copy
    int builds;
  } cases[] = {
      {true, 14001, 0, 0},     {true, 14000, 0, 1},    {true, 9999, 0, 1},
      {true, 5000, 0, 2},      {true, -1, 0, 2},       {false, 20000, 0, 1},
      {false, 20000, 9999, 1}, {false, 500, 10000, 0}, {false, 500, 14001, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "saved " << c.savedComplete << ", hosts " << c.hostsBytes
                                    << " bytes, copy " << c.fullCopyBytes);
    program.reset();
    std::filesystem::remove(dir.File("etc/hosts"));
    std::filesystem::remove(dir.File("etc/hostsqlf"));
    if (c.hostsBytes >= 0)
      dir.Write("etc/hosts", std::string(static_cast<size_t>(c.hostsBytes), '#'));
    if (c.fullCopyBytes > 0)
      dir.Write("etc/hostsqlf", std::string(static_cast<size_t>(c.fullCopyBytes), '#'));
    Servers({});
    WriteSettings(c.savedComplete ? "bHostsFullySet=True\r\n" : "bHostsFullySet=False\r\n");
    StartedBefore();
    // A put-back writes the copy as it is; any other write of the hosts file is a build.
    const std::string copy(static_cast<size_t>(c.fullCopyBytes), '#');
    int builds = 0;
    privileged.refuse = [&](std::string_view text) {
      builds += text != copy;
      return std::string();
    };
    Start();
    clock.Advance(2500);
    EXPECT_EQ(builds, c.builds);
    program.reset();  // before `builds` goes
  }
}

}  // namespace
}  // namespace quorlen
