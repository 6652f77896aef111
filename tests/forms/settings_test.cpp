#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using namespace std::string_literals;
class SettingsFileTest : public testing_support::ProgramTest {
  void SetUp() override { StartedBefore(); }
};

// Files a user or a crash can leave behind.
TEST_F(SettingsFileTest, EmptyOrDamagedFilesGiveTheDefaults) {
  std::string junk;
  for (unsigned i = 0; i < 65536; ++i) junk.push_back(static_cast<char>((i * 40503u) >> 3));
  const std::string damaged[] = {
      "",
      junk,
      "[Settings]\0bBlockAdServers=False\r\n"s,
      "[Other]\nbBlockAdServers=False\n",
  };
  for (const std::string& bytes : damaged) {
    SCOPED_TRACE(bytes.substr(0, 40));
    dir.Write("program/quorlen.ini", bytes);
    frmMain& main = Start();
    ASSERT_TRUE(started);
    const auto& o = main.Options();
    const auto& c = main.Controls();
    EXPECT_TRUE(o.bBannerSound && o.bPopSound && o.bBlockAdServers && o.bBlockIEPopups);
    EXPECT_FALSE(o.bAutoDownload || c.chkAuto.Ticked());
    EXPECT_EQ(c.txtBannerWav.Text(), dir.File("program/ad.wav"));
    EXPECT_EQ(c.txtPopWav.Text(), dir.File("program/pop.wav"));
    EXPECT_EQ(c.lblDateUpdate.Caption(), "Last Updated 1/1/2001");
    EXPECT_EQ(c.lblTotBlocked.Caption(), "0");
    EXPECT_EQ(o.nTotBlocked, 0);
    program.reset();
  }
}

// A value that is there but unreadable fails its conversion, which leaves the member as
// it was before loading: off, not the default that an absent key gives.
TEST_F(SettingsFileTest, UnreadableValuesLeaveTheMembersOff) {
  WriteSettings("bBlockAdServers=perhaps\nnTotBlocked=lots\nbPopSound=\n");
  frmMain& main = Start();
  EXPECT_FALSE(main.Options().bBlockAdServers);
  EXPECT_FALSE(main.Controls().chkAdServers.Ticked());
  EXPECT_FALSE(main.Options().bPopSound);
  EXPECT_EQ(main.Options().nTotBlocked, 0);
  EXPECT_TRUE(main.Options().bBlockIEPopups);
}

TEST_F(SettingsFileTest, LfOnlyFileIsReadLikeCrLf) {
  dir.Write("program/quorlen.ini", "[Settings]\nbMinimized=True\nDateUpdate=3/4/2026\nbPopSound=0");
  frmMain& main = Start();
  EXPECT_FALSE(main.Controls().window.Visible());
  EXPECT_EQ(main.Controls().lblDateUpdate.Caption(), "Last Updated 3/4/2026");
  EXPECT_FALSE(main.Controls().chkPopSound.Ticked());
  EXPECT_FALSE(main.Controls().cmdBrowsePop.Enabled());
}

TEST_F(SettingsFileTest, SaveWritesEveryKeyInItsOrder) {
  frmMain& main = Start();
  main.Options().nTotBlocked = 7;
  main.Options().sDateUpdate = "5/6/2026";
  main.Save();
  EXPECT_EQ(Settings(),
            "[Settings]\r\nBannerSound=" + dir.File("program/ad.wav") +
                "\r\nPopSound=" + dir.File("program/pop.wav") +
                "\r\nProxyName=\r\nProxyPort=\r\nbMinimized=False\r\nbAutoDownload=False\r\n"
                "bBannerSound=True\r\nbBlockAdServers=True\r\nbBlockIEPopups=True\r\n"
                "bPopSound=True\r\nbHostsFullySet=False\r\nDateUpdate=5/6/2026\r\n"
                "nTotBlocked=7\r\n");
}

TEST_F(SettingsFileTest, CountAndDateAreWrittenOnlyWhenMeaningful) {
  WriteSettings("nTotBlocked=12\r\nDateUpdate=1/1/2001\r\n");
  frmMain& main = Start();
  main.Options().nTotBlocked = 0;
  for (const char* never : {"Never", "1/1/2001", ""}) {
    main.Options().sDateUpdate = never;
    main.Save();
    EXPECT_EQ(SettingsValue("DateUpdate"), "1/1/2001");
    EXPECT_EQ(SettingsValue("nTotBlocked"), "12");
  }
  main.Options().nTotBlocked = 1;
  main.Options().sDateUpdate = "12/6/2026";
  main.Save();
  EXPECT_EQ(SettingsValue("DateUpdate"), "12/6/2026");
  EXPECT_EQ(SettingsValue("nTotBlocked"), "1");
}

TEST_F(SettingsFileTest, SaveDuringLoadingWritesNothing) {
  std::filesystem::remove(dir.File("program/1by1.jpg"));  // a box opens while loading
  bool savedWhileLoading = false;
  dialogs.whileOpen = [&](const ScriptedDialogs::Box&) {
    ASSERT_TRUE(program->bLoading());
    program->Save();
    program->Controls().mnuTrayExit.Click();  // tray Exit is ignored while loading too
    savedWhileLoading = true;
  };
  Start();
  ASSERT_TRUE(savedWhileLoading);
  EXPECT_FALSE(dir.Exists("program/quorlen.ini"));
  EXPECT_EQ(quits, 0);
  EXPECT_FALSE(program->Unloaded());
}

}  // namespace
}  // namespace quorlen
