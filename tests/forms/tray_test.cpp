#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using testing_support::ProgramTest;

class Tray : public ProgramTest {
 protected:
  void SetUp() override { StartedBefore(); }
  std::string ShownTip() const { return tray.shown.szTip; }
};

TEST_F(Tray, TipWithoutAListIsTheProgramName) {
  Start();
  EXPECT_EQ(ShownTip(), "Quorlen." + std::string(64 - 8, ' '));
}

TEST_F(Tray, TipCountsBlockedAdsAndServersAndIsCutAt64) {
  dir.Write("program/quorlenhosts.ini", "[DomainCount]\r\nN=120\r\n");
  dir.Write("program/userhosts.ini", "[DomainCount]\r\nN=3\r\n");
  dir.Write("program/quorlen.ini", "[Settings]\r\nnTotBlocked=5\r\nDateUpdate=1/2/2026\r\n");
  frmMain& main = Start();
  EXPECT_EQ(ShownTip(),
            "Quorlen blocked 5 ads.  As of 1/2/2026, 123 ACTIVE ad servers bl");
  main.Options().nTotBlocked = 2147483647;
  main.Options().sDateUpdate = "Wednesday, December 30, 2026";
  clock.Advance(60000);
  EXPECT_EQ(ShownTip(), "Quorlen blocked 2147483647 ads.  As of Wednesday, December 30, 2");
  EXPECT_EQ(ShownTip().size(), 64u);
}

TEST_F(Tray, RefreshBringsBackALostIcon) {
  Start();
  clock.Advance(2500);
  tray.present = false;  // the task bar was re-created
  clock.Advance(60000 - 2500);
  EXPECT_TRUE(tray.present);
}

TEST_F(Tray, ClicksOpenTheWindowAndTheMenu) {
  frmMain& main = Start();
  clock.Advance(2500);
  ASSERT_FALSE(main.Controls().window.Visible());
  tray.Send(tray_message::kRightButtonUp);
  EXPECT_EQ(tray.menusShown, 1);
  EXPECT_FALSE(main.Controls().window.Visible());
  tray.Send(tray_message::kLeftButtonUp);
  EXPECT_TRUE(main.Controls().window.Visible());
  EXPECT_FALSE(main.Options().bMinimized);
}

TEST_F(Tray, PopupToggleGoesBackAndForth) {
  frmMain& main = Start();
  MenuItem& item = main.Controls().mnuTrayPopups;
  item.Click();
  EXPECT_EQ(item.Caption(), "Block Popup Ads - OFF (click here to block popups again)");
  EXPECT_FALSE(item.Checked());
  item.Click();
  EXPECT_EQ(item.Caption(), "Block Popup Ads - ON (click here to temporarily allow popups)");
  EXPECT_TRUE(item.Checked());
}

TEST_F(Tray, WithoutATrayTheWindowStaysReachable) {
  tray.available = false;
  frmMain& main = Start();
  main.Controls().cmdClear.Click();
  clock.Advance(2500);
  EXPECT_TRUE(main.Controls().window.Visible());
  EXPECT_TRUE(main.Controls().window.Minimized());
}

TEST_F(Tray, StatisticsItemShowsTheCountsOnTop) {
  dir.Write("program/quorlen.ini", "[Settings]\r\nnTotBlocked=17\r\n");
  frmMain& main = Start();
  main.Controls().mnuTrayStats.Click();
  EXPECT_TRUE(main.Stats().window.Visible());
  EXPECT_TRUE(main.Stats().window.TopMost());
  EXPECT_EQ(main.Stats().window.Caption(), "Ads 0 : 17");
  EXPECT_EQ(main.Stats().lblTotBlocked.Caption(), "17");
}

}  // namespace
}  // namespace quorlen
