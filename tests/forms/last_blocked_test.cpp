#include <algorithm>

#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

using RecentlyBlocked = testing_support::ProgramTest;

TEST_F(RecentlyBlocked, EachModeShowsItsPlaceholderUntilTheFirstRefresh) {
  frmMain& main = Running();
  frmLastBlocked& window = main.LastBlocked();
  main.Controls().cmdLog.Click();
  struct Mode {
    Button& button;
    int mode;
    const char* placeholder;
  };
  for (const Mode& m : std::vector<Mode>{
           {window.cmdByAdServer, 1,
            "No Ads Blocked by Host (ad server) yet during this Quorlen session."},
           {window.cmdIEPopups, 2, "No Ads Blocked by Unsolicited Internet Explorer Popups."},
           {window.cmdTitles, 3, "No Ads Blocked by Window Title yet during this Quorlen session."},
       }) {
    m.button.Click();
    EXPECT_EQ(window.nMode(), m.mode);
    EXPECT_EQ(window.lstBlocked.Items(), std::vector<std::string>{m.placeholder});
    EXPECT_TRUE(m.button.Default());
    EXPECT_EQ(
        window.cmdByAdServer.Default() + window.cmdIEPopups.Default() + window.cmdTitles.Default(),
        1);
    clock.Advance(frmLastBlocked::kRefreshMs);
    EXPECT_EQ(window.lstBlocked.Count(), 0) << m.placeholder;
  }
  // The fifty newest, newest first.
  for (int i = 1; i <= 75; ++i) main.cbTitles->PutItem(Variant("title " + std::to_string(i)));
  window.cmdTitles.Click();
  const auto& items = window.lstBlocked.Items();
  ASSERT_EQ(items.size(), 50u);
  EXPECT_EQ(items.front(), "title 75");
  EXPECT_EQ(items.back(), "title 26");
}

TEST_F(RecentlyBlocked, OpensInTheAdServerModeAndRefillsEveryFiveSeconds) {
  frmMain& main = Running();
  frmLastBlocked& window = main.LastBlocked();
  main.cbAdServers->PutItem(Variant("10:00:01 'ads.one.example'  from '' by ''"));
  window.cmdTitles.Click();
  window.Unload();
  window.Show();
  EXPECT_EQ(window.nMode(), 1);
  EXPECT_EQ(window.lstBlocked.Count(), 1);
  main.cbAdServers->PutItem(Variant("10:00:02 'ads.two.example'  from '' by ''"));
  clock.Advance(frmLastBlocked::kRefreshMs - 1);
  EXPECT_EQ(window.lstBlocked.Count(), 1);
  clock.Advance(1);
  EXPECT_EQ(window.lstBlocked.Item(0), "10:00:02 'ads.two.example'  from '' by ''");
  window.cmdCancel.Click();
  EXPECT_FALSE(window.Timer1.Enabled());
  main.cbAdServers->PutItem(Variant("10:00:03 'ads.three.example'  from '' by ''"));
  clock.Advance(frmLastBlocked::kRefreshMs);
  EXPECT_EQ(window.lstBlocked.Count(), 2);  // a closed window is not refilled
}

TEST_F(RecentlyBlocked, DoubleClickHandsTheLineToTheEditorOfItsKind) {
  frmMain& main = Running();
  frmLastBlocked& window = main.LastBlocked();

  // The placeholder of the ad-server mode opens the ad-server editor too, which then
  // falls back to the last blocked server.
  window.Show();
  window.lstBlocked.SetListIndex(0);
  window.lstBlocked.onDoubleClick();
  EXPECT_TRUE(main.AdServerEditor().window.Visible());
  EXPECT_EQ(main.getPickedRecord(),
            "No Ads Blocked by Host (ad server) yet during this Quorlen session.");

  // A popup's page is noted as the last blocked one, recorded once more, and the white
  // list editor opens on it.
  main.cbIEPopups->PutItem(Variant("10:00:00 - Blocked Popup on Page 'pops.example/a.html'"));
  window.Show();
  window.cmdIEPopups.Click();
  window.lstBlocked.SetListIndex(0);
  window.lstBlocked.onDoubleClick();
  std::vector<Variant> records;
  main.cbIEPopups->GetAllItems(records);
  EXPECT_EQ(std::ranges::count_if(records, [](const Variant& r) { return !r.ToString().empty(); }),
            2);
  EXPECT_EQ(main.getLastBlockedPopupPage(), "pops.example/a.html");
  EXPECT_TRUE(main.Popups().Editor().window.Visible());
  EXPECT_EQ(main.Popups().Editor().txtTitle.Text(), "pops.example/a.html");
}

// That Copy opens the file in the text editor: tests/ui/click_through_test.cpp.
TEST_F(RecentlyBlocked, CopyWritesTheListIntoTheTemporaryFolder) {
  frmMain& main = Running();
  frmLastBlocked& window = main.LastBlocked();
  window.Show();
  clock.Advance(frmLastBlocked::kRefreshMs);  // the placeholder is gone: an empty list
  window.cmdCopy.Click();
  EXPECT_EQ(dir.Read("tmp/tempQL.txt"), "\r\n");

  main.cbAdServers->PutItem(Variant("a"));
  main.cbAdServers->PutItem(Variant("b"));
  window.cmdByAdServer.Click();
  window.cmdCopy.Click();
  EXPECT_EQ(dir.Read("tmp/tempQL.txt"), "b\r\na\r\n\r\n");
  EXPECT_EQ(window.lstBlocked.ListIndex(), 1);  // each line was selected in turn
}

}  // namespace
}  // namespace quorlen
