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
  EXPECT_EQ(Controls().lblLastIEPop1.Caption(),
            "The last popup ad was from the page above.  You may allow popups based on a site "
            "URL or site name.");
  EXPECT_TRUE(Controls().mnuTrayLastIEPop.Enabled());
  EXPECT_EQ(Controls().mnuTrayLastIEPop.Caption(),
            "Allow All Popups on page 'www.example.com/page.html'");
  EXPECT_EQ(program->getLastBlockedPopupPage(), "www.example.com/page.html");
}

TEST_F(PopupDecisionTest, WithoutThePopSoundNothingPlays) {
  Controls().chkPopSound.SetTicked(false);
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_TRUE(sound.played.empty());
}

// Each row: what the user did before the page asked for a window, and the outcome.
TEST_F(PopupDecisionTest, TheUsersIntentLetsWindowsOpen) {
  struct Row {
    const char* name;
    std::function<void()> before;
    bool cancelled;
    const char* logLine;
  };
  const Row rows[] = {
      {"left click", [&] { Tap(vk::kLeftButton); }, false, "*** ALLOWED: MouseClicked once"},
      {"right click", [&] { Tap(vk::kRightButton); }, false, "*** ALLOWED: MouseClicked once"},
      {"ctrl", [&] { Tap(vk::kControl); }, false, "*** ALLOWED: Allow Hot Key Down "},
      {"shift", [&] { Tap(vk::kShift); }, false, "*** ALLOWED: Allow Hot Key Down "},
      {"double click",
       [&] {
         Tap(vk::kLeftButton);
         clock.Advance(100);
         Tap(vk::kLeftButton);
       },
       false, "*** ALLOWED: User Double Clicked"},
      {"click 3 s before",
       [&] {
         Tap(vk::kLeftButton);
         clock.Advance(3000);
       },
       true, "**** BLOCKED '"},
      {"middle button", [&] { Tap(vk::kMiddleButton); }, true, "**** BLOCKED '"},
      {"script link", [&] { page->NavigateFrame("JavaScript:window.open('x')"); }, false,
       "*** ALLOWED: Java Open"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    clock.Advance(5000);
    page->Navigate("http://www.example.com/page.html");
    ClearLog();
    row.before();
    EXPECT_EQ(browsers.OpenFrom(page), row.cancelled);
    EXPECT_TRUE(Logged(row.logLine)) << Log();
    if (!row.cancelled) {
      EXPECT_TRUE(Logged("nPopUPCount="));
      EXPECT_FALSE(Popups().Input().getMouseClicked());
      EXPECT_FALSE(Popups().Input().getDoubleClickOK());
      EXPECT_TRUE(Popups().Activity().TimerIEActive.Enabled());
    }
  }
}

TEST_F(PopupDecisionTest, ADoubleClickAllowsOneWindowTheNextIsJudgedAgain) {
  Tap(vk::kLeftButton);
  Tap(vk::kLeftButton);
  EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_TRUE(Logged("*** ALLOWED: User Double Clicked"));
  EXPECT_TRUE(browsers.OpenFrom(page));
}

TEST_F(PopupDecisionTest, AModifierAllowsEveryWindowUntilTheClickReset) {
  Tap(vk::kControl);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_EQ(Occurrences("*** ALLOWED: Allow Hot Key Down "), 3);
  clock.Advance(2000);
  EXPECT_TRUE(browsers.OpenFrom(page));
}

TEST_F(PopupDecisionTest, TheTrayAllowanceLetsEveryWindowOpenAndCountsThem) {
  Controls().mnuTrayPopups.Click();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_EQ(Popups().Decision().nPopUPCount(), 5);
  EXPECT_EQ(Occurrences("*** ALLOWED: Pops Temp allowed "), 5);
  EXPECT_TRUE(Popups().Activity().TimerIEActive.Enabled());
  Controls().mnuTrayPopups.Click();
  EXPECT_TRUE(browsers.OpenFrom(page));
}

TEST_F(PopupDecisionTest, ACountOfAllowedWindowsStopsAt32767) {
  Controls().mnuTrayPopups.Click();
  // The page asks again and again; the allowed windows themselves are left unopened.
  for (int i = 0; i < 32770; ++i) page->AskForWindow();
  EXPECT_EQ(Popups().Decision().nPopUPCount(), 32767);
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

TEST_F(PopupDecisionTest, AWhiteListEntryInCapitalsMatchesALowerCaseOpener) {
  WriteWhiteList({"WWW.EXAMPLE.COM/Games"});
  page->Navigate("https://www.example.com/games/chess.html");
  EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_TRUE(Logged("*** ALLOWED: InWhiteLIst: found WWW.EXAMPLE.COM/Games"));
  EXPECT_EQ(Controls().mnuTrayLastIEPop.Caption(),
            "Block Popups recently allowed from 'www.example.com/games/chess.html'");
  EXPECT_TRUE(Controls().mnuTrayLastIEPop.Enabled());
  EXPECT_EQ(Controls().LblKeyName.Caption(), "reset: In White List: 'WWW.EXAMPLE.COM/Games'");
  page->Navigate("https://www.example.com/news/");
  EXPECT_TRUE(browsers.OpenFrom(page));
}

TEST_F(PopupDecisionTest, AnOpenerWithoutSchemeIsShownWhole) {
  WriteWhiteList({"intranet"});
  page->Navigate("about:blank");
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_EQ(Controls().lblLastIEPop.Caption(), "Allow all Popups on page about:blank");
  page->Navigate("intranet/home");
  EXPECT_FALSE(browsers.OpenFrom(page));
  EXPECT_EQ(Controls().mnuTrayLastIEPop.Caption(),
            "Block Popups recently allowed from 'intranet/home'");
}

TEST_F(PopupDecisionTest, ThreeBlocksWithin4000MsLengthenTheClickResetOnce) {
  auto& clickReset = Popups().Input().timerClickReset;
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
  // The longer reset is what a click now gets.
  Tap(vk::kLeftButton);
  clock.Advance(2200);
  EXPECT_FALSE(browsers.OpenFrom(page));
}

TEST_F(PopupDecisionTest, TwoBlocksAreNoBurst) {
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_TRUE(browsers.OpenFrom(page));
  clock.Advance(4000);
  EXPECT_FALSE(Popups().Notifier().bManyPopsSeen());
  EXPECT_EQ(Popups().Input().timerClickReset.Interval(), 2000);
  EXPECT_TRUE(browsers.OpenFrom(page));
  EXPECT_EQ(Popups().Notifier().nManyPops(), 1);
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
