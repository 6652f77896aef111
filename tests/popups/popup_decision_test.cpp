#include <gtest/gtest.h>

#include "tests/popups/popup_fixture.h"

namespace quorlen {
namespace {

namespace vk = virtual_key;
using testing_support::PopupProgramTest;

class PopupDecisionTest : public PopupProgramTest {};

TEST_F(PopupDecisionTest, AnUnsolicitedWindowIsCancelledCountedRecordedAndShown) {
  ASSERT_NE(Popups().oIEWindows(), nullptr);
  std::int32_t before = program->Options().nTotBlocked;
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_EQ(browsers.Windows().size(), 1u);  // the popup never opened
  EXPECT_TRUE(Logged("**** BLOCKED 'http://www.example.com/page.html'"));
  EXPECT_EQ(Controls().lbltype.Caption(), "cancelled popup on page ");
  EXPECT_EQ(Controls().lblpage.Caption(), "http:/ / www.example.com/ page.html");
  EXPECT_EQ(program->Options().nTotBlocked, before + 1);
  EXPECT_EQ(Controls().lbltot.Caption(), "1");
  ASSERT_EQ(sound.played.size(), 1u);
  EXPECT_EQ(sound.played[0], Controls().txtPopWav.Text());
  ListBox recent;
  program->ListIEPopupBuffer(recent);
  ASSERT_EQ(recent.Count(), 1);
  EXPECT_EQ(recent.Item(0),
            program->TimeStamp() + " - Blocked Popup on Page 'www.example.com/page.html'");
  EXPECT_EQ(Controls().lblLastIEPop.Caption(),
            "Allow all Popups on page www.example.com/page.html");
  EXPECT_TRUE(Controls().mnuTrayLastIEPop.Enabled());
  EXPECT_EQ(Controls().mnuTrayLastIEPop.Caption(),
            "Allow All Popups on page 'www.example.com/page.html'");
  EXPECT_EQ(program->getLastBlockedPopupPage(), "www.example.com/page.html");
  EXPECT_EQ(PopupNotifier::WithoutScheme("http://a.example/x://y"), "a.example/x://y");
  // Without the pop sound the next cancel is silent.
  Controls().chkPopSound.SetTicked(false);
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_EQ(sound.played.size(), 1u);
}

// Presses seen by the poll or told by the browser (counted once) let windows open. Each row,
// as Do() reads it: what was seen before the page asked and after, and the outcome of that
// window and of another asked for a second later.
TEST_F(PopupDecisionTest, TheUsersIntentLetsWindowsOpen) {
  struct Row {
    const char *before, *after;
    const char* logLine;  // of the first window; empty when it is cancelled
    bool secondCancelled;
    bool clickKept = false;  // a hot-key allowance leaves the click of a shift-click set
  };
  const char* once = "*** ALLOWED: MouseClicked once";
  const char* twice = "*** ALLOWED: User Double Clicked";
  const char* hotKey = "*** ALLOWED: Allow Hot Key Down ";
  const Row rows[] = {
      {"L", "", once, true},
      {"ctrl", "", hotKey, false},
      {"js", "", "*** ALLOWED: Java Open", true},
      {"pL", "", once, true},                // the page's click only
      {"+L pL 100 -L 50", "", once, true},   // one click seen by both
      {"+L 50", "pL -L", once, true},        // the page tells after the window
      {"+L pL", "50 -L", once, true},        // the poll sees it after the window
      {"+L 50 -L 150 pL", "", twice, true},  // two presses, one seen by each
      {"pL 150 pL", "", twice, true},        // the page's double click
      {"pDouble", "", twice, true},          // the browser's double click alone
      {"pShiftL", "", hotKey, false, true},  // shift held for a page click
      {"pCtrl", "", hotKey, false},          // ctrl in the page
      {"pM", "", "", true},                  // the middle button in the page
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.before) + " | " + row.after);
    clock.Advance(5000);
    page->Navigate("http://www.example.com/page.html");
    ClearLog();
    Do(row.before);
    bool cancelled = browsers.OpenFrom(page);
    if (*row.logLine) {
      EXPECT_TRUE(Logged(row.logLine)) << Log();
      EXPECT_TRUE(Logged("nPopUPCount="));
      EXPECT_EQ(Popups().Input().getMouseClicked(), row.clickKept);
      EXPECT_FALSE(Popups().Input().getDoubleClickOK());
      EXPECT_TRUE(Popups().Activity().TimerIEActive.Enabled());
    } else {
      EXPECT_TRUE(Logged("**** BLOCKED '")) << Log();
    }
    Do(row.after);
    EXPECT_EQ(cancelled, *row.logLine == 0) << Log();
    clock.Advance(1000);
    EXPECT_EQ(browsers.OpenFrom(page), row.secondCancelled) << Log();
  }
}

// Windows announced late and presses told late. Each row: what happened before the ask and
// halfway to the announcement, how late it came, the outcome of it and of a second window.
TEST_F(PopupDecisionTest, WindowsAreJudgedOnTheFlagsAsTheyStoodWhenThePageAsked) {
  struct Row {
    const char *beforeTheAsk, *halfway;
    int announcedAfterMs;
    bool cancelled, secondCancelled;
  };
  const Row rows[] = {
      {"L", "", 2400, false, true},        // a click, the ask at once
      {"", "pL@1010", 2000, false, true},  // a click 10 ms before the ask, told after it
      {"pL@3000", "", 0, true, true},      // a click told 3 s late
      {"pL@300", "", 0, false, true},      // a click told 300 ms late
      {"L", "nav", 1500, false, true},     // a navigation before the announcement
      {"", "L", 1000, true, true},         // no click, then one before the announcement
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.beforeTheAsk) + " | " + row.halfway);
    clock.Advance(5000);
    ClearLog();
    Do(row.beforeTheAsk);
    const int late = row.announcedAfterMs;
    clock.Advance(late / 2);
    Do(row.halfway);
    clock.Advance(late - late / 2);
    EXPECT_EQ(browsers.OpenFrom(page, "http://popup.example/ad.html", late), row.cancelled)
        << Log();
    EXPECT_EQ(browsers.OpenFrom(page, "http://popup.example/ad.html", late), row.secondCancelled)
        << Log();
  }
}

TEST_F(PopupDecisionTest, TheTrayAllowanceLetsEveryWindowOpenAndCountsThemUpTo32767) {
  Controls().mnuTrayPopups.Click();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_EQ(Popups().Decision().nPopUPCount(), 5);
  EXPECT_EQ(Occurrences("*** ALLOWED: Pops Temp allowed "), 5);
  EXPECT_TRUE(Popups().Activity().TimerIEActive.Enabled());
  // The page asks again and again; the allowed windows themselves are left unopened.
  for (int i = 0; i < 32770; ++i) page->AskForWindow();
  EXPECT_EQ(Popups().Decision().nPopUPCount(), 32767);
  Controls().mnuTrayPopups.Click();
  EXPECT_TRUE(browsers.OpenFrom(page));
}

TEST_F(PopupDecisionTest, AWindowClosingBlocksNewWindowsFor1500MsDespiteAClick) {
  auto other = browsers.Open("http://other.example/");
  Controls().mnuTrayPopups.Click();
  EXPECT_FALSE(browsers.OpenFrom(page));  // one allowed: the count in the log line is 1
  Controls().mnuTrayPopups.Click();
  browsers.Close(other);
  Tap(vk::kLeftButton);
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_TRUE(Logged("**** BLOCKED Window Closing PopUP cnt=1 'http://www.example.com/page.html'"));
  clock.Advance(1500);
  Tap(vk::kLeftButton);
  EXPECT_FALSE(browsers.OpenFrom(page));
}

// A window announced late is judged closing or not as at its page's ask, both ways.
TEST_F(PopupDecisionTest, AWindowIsJudgedClosingOrNotAsAtThePagesAsk) {
  auto other = browsers.Open("http://other.example/");
  Tap(vk::kLeftButton);
  clock.Advance(100);
  browsers.Close(other);
  clock.Advance(100);
  EXPECT_FALSE(browsers.OpenFrom(page, "http://popup.example/ad.html", 200)) << Log();
  clock.Advance(5000);
  Tap(vk::kLeftButton);
  browsers.Close(browsers.Open("http://other.example/"));
  clock.Advance(1600);
  EXPECT_TRUE(browsers.OpenFrom(page, "http://popup.example/ad.html", 1600)) << Log();
  EXPECT_TRUE(Logged("**** BLOCKED Window Closing PopUP cnt=1 'http://www.example.com/page.html'"));
}

// Capitals in an entry match a lower-case opener; an opener without a scheme is shown whole.
TEST_F(PopupDecisionTest, WhiteListedOpenersAreAllowedAndShown) {
  WriteWhiteList({"WWW.EXAMPLE.COM/Games", "intranet"});
  page->Navigate("https://www.example.com/games/chess.html");
  EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_TRUE(Logged("*** ALLOWED: InWhiteLIst: found WWW.EXAMPLE.COM/Games"));
  EXPECT_EQ(Controls().mnuTrayLastIEPop.Caption(),
            "Block Popups recently allowed from 'www.example.com/games/chess.html'");
  EXPECT_TRUE(Controls().mnuTrayLastIEPop.Enabled());
  EXPECT_EQ(Controls().LblKeyName.Caption(), "reset: In White List: 'WWW.EXAMPLE.COM/Games'");
  page->Navigate("https://www.example.com/news/");
  EXPECT_TRUE(browsers.OpenFrom(page));
  page->Navigate("about:blank");
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_EQ(Controls().lblLastIEPop.Caption(), "Allow all Popups on page about:blank");
  page->Navigate("intranet/home");
  EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_EQ(Controls().mnuTrayLastIEPop.Caption(),
            "Block Popups recently allowed from 'intranet/home'");
}

// Two cancelled windows are no burst and their count starts over after 4000 ms; three
// within 4000 ms lengthen the click reset once, and a click then gets the longer reset.
TEST_F(PopupDecisionTest, ThreeBlocksWithin4000MsLengthenTheClickResetOnce) {
  auto& clickReset = Popups().Input().timerClickReset;
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_TRUE(browsers.OpenFrom(page));
  clock.Advance(4000);
  EXPECT_FALSE(Popups().Notifier().bManyPopsSeen());
  EXPECT_EQ(clickReset.Interval(), 2000);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(browsers.OpenFrom(page));
    clock.Advance(1000);
  }
  EXPECT_EQ(Popups().Notifier().nManyPops(), 3);
  EXPECT_EQ(clickReset.Interval(), 2000);
  clock.Advance(1000);
  EXPECT_EQ(clickReset.Interval(), 2500);
  EXPECT_TRUE(Popups().Notifier().bManyPopsSeen());
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(browsers.OpenFrom(page));
  clock.Advance(5000);
  EXPECT_EQ(clickReset.Interval(), 2500);
  Tap(vk::kLeftButton);
  clock.Advance(2200);
  EXPECT_FALSE(browsers.OpenFrom(page));
}

TEST_F(PopupDecisionTest, EveryOutcomeMovesTheCurrentPageToTheOpener) {
  page->Navigate("http://a.example/one");
  auto second = browsers.Open("http://b.example/two");
  EXPECT_TRUE(browsers.OpenFrom(second));
  EXPECT_EQ(Popups().Activity().getCurURL(), "http://b.example/two");
  EXPECT_EQ(Popups().Activity().getLastURL(), "http://a.example/one");
  Controls().mnuTrayPopups.Click();
  EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_EQ(Popups().Activity().getCurURL(), "http://a.example/one");
  EXPECT_EQ(Popups().Activity().getLastURL(), "http://b.example/two");
  EXPECT_TRUE(Logged("new window: getLastURL=http://a.example/one getCurURL=http://b.example/two"));
}

TEST_F(PopupDecisionTest, TheTitleWatcherSharesTheBlockedNotice) {
  program->PopupBlocked("Closed window 'Casino Bonus'");
  EXPECT_EQ(Controls().lbltype.Caption(), "cancelled popup on page ");
  EXPECT_EQ(Controls().lblpage.Caption(), "Closed window 'Casino Bonus'");
  EXPECT_EQ(program->Options().nBlockedToday, 1);
  EXPECT_EQ(Popups().Notifier().nManyPops(), 1);
  EXPECT_EQ(sound.played.size(), 1u);
}

}  // namespace
}  // namespace quorlen
