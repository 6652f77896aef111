#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

// The program with its real hosts-file blocking over a hosts file of the user's own.
class Uninstall : public ProgramTest {
 protected:
  static constexpr const char* kUsersHosts = "127.0.0.1 localhost\n10.1.2.3 nas.home\n";

  // The program runs from `folder` below the test's folder.
  frmMain& Running(const std::string& folder = "program") {
    std::filesystem::create_directories(dir.File(folder));
    system.programFile = dir.File(folder + "/quorlen");
    dir.Write(folder + "/quorlen", "");
    dir.Write(folder + "/1by1.jpg", "\xFF\xD8\xFF\xD9");
    dir.Write("etc/hosts", kUsersHosts);
    dir.Write(
        folder + "/quorlenhosts.ini",
        testing_support::ListFile({"ads.one.example", "ads.two.example", "track.three.example"}));
    dir.Write(folder + "/quorlen.ini", "[Settings]\r\nbBlockAdServers=True\r\n");
    return ProgramTest::Running();
  }

  std::string Hosts() const { return dir.Read("etc/hosts"); }
  std::string Shortcut() const { return shell.startupFolder + "/Quorlen.desktop"; }
};

TEST_F(Uninstall, AnsweredYesLeavesACleanSystemAndEnds) {
  frmMain& main = Running();
  ASSERT_NE(Hosts().find("127.0.0.1 ads.one.example"), std::string::npos);
  main.Controls().mnuUninstallUninstall.Click();
  for (const char* server : {"ads.one.example", "ads.two.example", "track.three.example"}) {
    EXPECT_EQ(Hosts().find(server), std::string::npos) << server;
  }
  EXPECT_NE(Hosts().find("10.1.2.3 nas.home"), std::string::npos);
  EXPECT_EQ(SettingsValue("bBlockAdServers"), "False");
  EXPECT_TRUE(main.Unloaded());
  ASSERT_EQ(dialogs.Boxes().size(), 3u);
  EXPECT_EQ(dialogs.Boxes()[1].text,
            "To remove Quorlen from this Linux system, delete its folder:\r\n\r\nrm -r '" +
                dir.File("program/") + "'");
  EXPECT_EQ(dialogs.Boxes()[2].text,
            "Now go to your control panel - add/remove programs to run the Quorlen uninstall."
            "\r\n\r\nQuorlen will now close.");
}

TEST_F(Uninstall, AShortcutThatCannotBeRemovedIsToldWithItsPath) {
  frmMain& main = Running();
  shell.shortcuts.clear();  // the user removed it by hand
  main.Controls().mnuUninstallUninstall.Click();
  ASSERT_EQ(dialogs.Boxes().size(), 4u);
  EXPECT_EQ(dialogs.Boxes()[1].text.rfind(
                "There was trouble removing the shortcut.   This might happen if you have "
                "manually renamed the shortcut some time in the past.   Otherwise, some unknown "
                "error occurred. File= " +
                    Shortcut() + " Desc = File not found\r\n\r\n",
                0),
            0u);
  EXPECT_EQ(quits, 1);
}

TEST_F(Uninstall, StartupBoxRemovesAndRecreatesTheEntry) {
  frmMain& main = Running("Program Files/QUORLEN");
  auto& box = main.Controls().chkStartup;
  ASSERT_EQ(shell.shortcuts.count(Shortcut()), 1u);
  const ShortcutFile made = shell.shortcuts[Shortcut()];
  EXPECT_TRUE(std::filesystem::exists(made.targetPath)) << made.targetPath;
  EXPECT_EQ(made.workingDirectory, dir.File("Program Files/QUORLEN/"));

  box.Click();
  EXPECT_EQ(
      main.Controls().lblStatus.Caption().rfind("Removing Quorlen from the startup group.", 0), 0u);
  box.Click();
  ASSERT_EQ(shell.shortcuts.count(Shortcut()), 1u);
  const ShortcutFile again = shell.shortcuts[Shortcut()];
  EXPECT_EQ(std::tie(again.targetPath, again.workingDirectory, again.iconLocation),
            std::tie(made.targetPath, made.workingDirectory, made.iconLocation));
  EXPECT_EQ(again.windowStyle, 4);
  EXPECT_EQ(
      main.Controls().lblStatus.Caption().rfind("Quorlen was just added to the startup group.", 0),
      0u);
}

}  // namespace
}  // namespace quorlen
