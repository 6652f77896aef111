#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

class ShutDown : public ProgramTest {
 protected:
  // Blocking one listed server over a hosts file of the user's own.
  frmMain& Running() {
    dir.Write("etc/hosts", kOwn);
    Servers({"ads.example"});
    frmMain& main = ProgramTest::Running();
    EXPECT_TRUE(Listening());
    return main;
  }
  bool Blocking() const { return dir.Read("etc/hosts").find("ads.example") != std::string::npos; }

  static constexpr const char* kOwn = "127.0.0.1 localhost\n10.1.2.3 nas.home\n";
};

// Without the start-up shortcut nothing would answer the listed servers after exit: the
// user's own file goes back. With it the lines stay for the next start, which the exits
// of the click-through test (tests/ui) see.
TEST_F(ShutDown, ExitWithoutTheStartupShortcutPutsTheUsersOwnHostsFileBack) {
  frmMain& main = Running();
  ASSERT_TRUE(Blocking());
  main.Controls().chkStartup.SetTicked(false);
  main.Controls().mnuFileExit.Click();
  EXPECT_FALSE(Blocking());
  EXPECT_EQ(dir.Read("etc/hosts").rfind(kOwn, 0), 0u);
  EXPECT_FALSE(Listening());
  EXPECT_EQ(quits, 1);
  EXPECT_FALSE(tray.present);
  EXPECT_EQ(SettingsValue("bBlockAdServers"), "True");
}

TEST_F(ShutDown, SessionEndSavesOnceAndEndsTheTimers) {
  frmMain& main = Running();
  main.Options().nTotBlocked = 99;
  EXPECT_TRUE(main.Unload(unload_mode::kSessionEnd));
  EXPECT_TRUE(main.Unload(unload_mode::kSessionEnd));  // a second signal changes nothing
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(SettingsValue("nTotBlocked"), "99");
}

// The first start's question waits in its own event loop while the session ends: the unload
// saves right there, since the program ends before the box returns.
TEST_F(ShutDown, SessionEndWhileAMessageBoxIsOpenStillSaves) {
  shell.trackedBrowserIsDefault = true;
  frmMain& main = Start();
  main.Options().nTotBlocked = 5;
  std::string savedWhileOpen;
  dialogs.whileOpen = [&](const ScriptedDialogs::Box& box) {
    if (box.title != "Block banner ads?") return;
    main.Unload(unload_mode::kSessionEnd);
    savedWhileOpen = SettingsValue("nTotBlocked");
  };
  clock.Advance(2500);
  EXPECT_EQ(savedWhileOpen, "5");
  EXPECT_EQ(quits, 1);
  EXPECT_TRUE(main.Unloaded());
  EXPECT_FALSE(main.Timer3().Enabled());
}

}  // namespace
}  // namespace quorlen
