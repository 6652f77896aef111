#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

class Tray : public testing_support::ProgramTest {
 protected:
  void SetUp() override { StartedBefore(); }
  std::string ShownTip() const { return tray.shown.szTip; }
};

TEST_F(Tray, TipNamesTheProgramThenCountsBlockedAdsAndServersCutAt64) {
  Start();
  EXPECT_EQ(ShownTip(), "Quorlen." + std::string(64 - 8, ' '));  // no list yet
  program.reset();
  dir.Write("program/quorlenhosts.ini", "[DomainCount]\r\nN=120\r\n");
  dir.Write("program/userhosts.ini", "[DomainCount]\r\nN=3\r\n");
  WriteSettings("nTotBlocked=5\r\nDateUpdate=1/2/2026\r\n");
  frmMain& main = Start();
  EXPECT_EQ(ShownTip(), "Quorlen blocked 5 ads.  As of 1/2/2026, 123 ACTIVE ad servers bl");
  main.Options().nTotBlocked = 2147483647;
  main.Options().sDateUpdate = "Wednesday, December 30, 2026";
  clock.Advance(60000);
  EXPECT_EQ(ShownTip(), "Quorlen blocked 2147483647 ads.  As of Wednesday, December 30, 2");
}

// Also: the minute's refresh brings back an icon lost with the task bar.
TEST_F(Tray, LeftClickOpensTheWindowAndRightClickLeavesItToTheMenu) {
  frmMain& main = Running();
  tray.present = false;  // the task bar was re-created
  clock.Advance(60000 - 2500);
  EXPECT_TRUE(tray.present);
  ASSERT_FALSE(main.Controls().window.Visible());
  tray.Send(tray_message::kRightButtonUp);
  EXPECT_FALSE(main.Controls().window.Visible());
  tray.Send(tray_message::kLeftButtonUp);
  EXPECT_TRUE(main.Controls().window.Visible());
  EXPECT_FALSE(main.Options().bMinimized);
}

TEST_F(Tray, PopupToggleGoesBackAndForth) {
  MenuItem& item = Start().Controls().mnuTrayPopups;
  for (const bool on : {false, true}) {
    item.Click();
    EXPECT_EQ(item.Checked(), on);
    EXPECT_EQ(item.Caption().rfind(on ? "Block Popup Ads - ON (" : "Block Popup Ads - OFF (", 0),
              0u);
  }
}

// Stock GNOME: no tray at start, one from an extension later, and a panel that ends.
TEST_F(Tray, WithoutATrayTheWindowStaysReachableAndALaterTrayIsUsed) {
  tray.available = false;
  WriteSettings("bMinimized=True\r\n");  // the last run ended hidden in a tray
  frmMain& main = Start();
  EXPECT_TRUE(main.Controls().window.Visible());
  auto& c = main.Controls();
  clock.Advance(2500);
  EXPECT_TRUE(c.window.Visible());
  EXPECT_TRUE(c.window.Minimized());
  EXPECT_TRUE(c.mnuTray.Visible());
  EXPECT_EQ(c.mnuTray.Caption(), "&Quorlen");
  EXPECT_NE(c.lblStatus.Caption().find(TrayModel::kNoTrayNotice), std::string::npos);
  c.window.SetMinimized(false);
  EXPECT_FALSE(main.Unload(unload_mode::kCloseBox));
  EXPECT_TRUE(c.window.Visible());
  EXPECT_TRUE(c.window.Minimized());

  tray.SetAvailable(true);
  EXPECT_TRUE(tray.present);
  EXPECT_FALSE(c.mnuTray.Visible());
  main.Unload(unload_mode::kCloseBox);
  EXPECT_FALSE(c.window.Visible());

  tray.SetAvailable(false);
  EXPECT_TRUE(c.window.Visible());
  EXPECT_TRUE(c.window.Minimized());
  EXPECT_TRUE(c.mnuTray.Visible());
  clock.Advance(120000);  // told once, at start
  const std::string status = c.lblStatus.Caption();
  EXPECT_EQ(status.find(TrayModel::kNoTrayNotice), status.rfind(TrayModel::kNoTrayNotice));
}

}  // namespace
}  // namespace quorlen
