#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

class ShutDown : public ProgramTest {
 protected:
  frmMain& Running() {
    StartedBefore();
    frmMain& main = Start();
    clock.Advance(2500);
    recording.calls.clear();
    return main;
  }
};

TEST_F(ShutDown, ExitWithoutStartupShortcutRestoresTheHostsFile) {
  frmMain& main = Running();
  main.Controls().chkStartup.SetTicked(false);
  main.Controls().mnuFileExit.Click();
  EXPECT_EQ(recording.calls.front(), "StopWebServer");
  EXPECT_EQ(recording.Count("RestoreHostsAtExit"), 1);
  EXPECT_EQ(quits, 1);
  EXPECT_FALSE(tray.present);
  EXPECT_EQ(SettingsValue("bBlockAdServers"), "True");
}

TEST_F(ShutDown, ExitWithStartupShortcutKeepsTheHostsFile) {
  frmMain& main = Running();
  main.Controls().mnuTrayExit.Click();
  EXPECT_EQ(recording.Count("RestoreHostsAtExit"), 0);
  EXPECT_EQ(quits, 1);
}

TEST_F(ShutDown, SessionEndSavesOnceAndEndsTheTimers) {
  frmMain& main = Running();
  main.Options().nTotBlocked = 99;
  EXPECT_TRUE(main.Unload(unload_mode::kSessionEnd));
  EXPECT_TRUE(main.Unload(unload_mode::kSessionEnd));  // a second signal changes nothing
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(SettingsValue("nTotBlocked"), "99");
  EXPECT_FALSE(main.Timer3().Enabled());
}

// The first start asks its question in a box that waits in its own event loop; the
// desktop session ends meanwhile. The unload runs right there and saves at once, since
// the program ends before the box returns.
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
