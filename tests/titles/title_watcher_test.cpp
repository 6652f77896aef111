#include "titles/title_watcher.h"

#include <gtest/gtest.h>

#include "tests/titles/titles_fixture.h"

namespace quorlen {
namespace {

using testing_support::TitleWatcherTest;

TEST_F(TitleWatcherTest, ClosesTheForegroundWindowAndTellsEverywhere) {
  UseFragments({"casino"});
  WindowId window = Foreground("Best CASINO offers - Microsoft Internet Explorer", "IEFrame");
  Tick();
  EXPECT_FALSE(desk.Exists(window));
  const std::string message =
      "User Defined Popup Blocked 'Best CASINO offers - Microsoft Internet Explorer' 'IEFrame'";
  EXPECT_EQ(log, std::vector<std::string>{message});
  EXPECT_EQ(mnuTrayLastPop.Caption(), "Allow Popup 'casino' from now on...");
  EXPECT_EQ(lblLastTitle.Caption(), "Allow Popup 'casino' from now on...");
  EXPECT_EQ(lblLastTitle1.Caption(),
            "A Popup Window was closed that contained 'casino' in the Window Title.");
  Tick(6);  // past the suppression of a second close by the same fragment
  Foreground("Casino", "AVeryLongWindowClassNameIndeed");  // told cut to 24 characters
  Tick();
  ASSERT_FALSE(blocked.empty());
  EXPECT_EQ(blocked.back(), "User Defined Popup Blocked 'Casino' 'AVeryLongWindowClassName'");
}

// The box and the tray allowance stop it the same way (tests/forms/title_blocking_test.cpp).
TEST_F(TitleWatcherTest, StandsStillWhileAKeyIsDownErrorBoxesToo) {
  UseFragments({"casino"});
  browserActive = true;
  hotKey = true;
  desk.AddButton(desk.Add("Error", "#32770"), "&No");
  WindowId popup = Foreground("Casino");
  Tick(8);
  EXPECT_TRUE(desk.Exists(popup));
  EXPECT_TRUE(desk.Pressed().empty());
}

TEST_F(TitleWatcherTest, InvisibleOrVanishedForegroundWindowIsNeverExamined) {
  UseFragments({"casino"});
  WindowId window = Foreground("Casino");
  desk.Add("Casino inside", "Child", window);
  desk.Get(window).visible = false;
  Tick(4);
  EXPECT_EQ(desk.TextReads(), 0);
  WindowId gone = Foreground("Casino");
  desk.Remove(gone);
  desk.SetForeground(gone);
  Tick(2);
  EXPECT_EQ(desk.TotalCloseRequests(), 0);
}

TEST_F(TitleWatcherTest, MatchingChildIsClosedThenTheWindowOnItsOwnTitle) {
  UseFragments({"casino", "lottery"});
  WindowId window = Foreground("Lottery results", "Frame");
  desk.Add("bottom child", "Child", window);
  WindowId child = desk.Add("Casino bonus", "Banner", window);  // top of the children
  desk.Get(child).visible = false;                              // looked at all the same
  Tick();
  EXPECT_FALSE(desk.Exists(child));
  EXPECT_FALSE(desk.Exists(window));
  EXPECT_EQ(blocked, (std::vector<std::string>{
                         "User Defined Popup Blocked (sub window) 'Casino bonus' 'Banner'",
                         "User Defined Popup Blocked 'Lottery results' 'Frame'"}));
  EXPECT_EQ(watcher.sLastTitleFragment(), "lottery");
}

TEST_F(TitleWatcherTest, WindowMatchingTheSameFragmentAsItsChildWaitsForTheNextChance) {
  UseFragments({"casino"});
  WindowId window = Foreground("Casino lobby", "Frame");
  WindowId child = desk.Add("Casino bonus", "Banner", window);
  desk.Get(window).closesOnRequest = false;
  Tick();
  EXPECT_FALSE(desk.Exists(child));
  EXPECT_EQ(desk.CloseRequests(window), 0);
  clock.Advance(2900);  // 3400 ms: the suppression still runs
  EXPECT_EQ(desk.CloseRequests(window), 0);
  clock.Advance(600);  // the first tick after it stopped
  EXPECT_EQ(desk.CloseRequests(window), 1);
  ASSERT_FALSE(blocked.empty());
  EXPECT_EQ(blocked.back(), "User Defined Popup Blocked 'Casino lobby' 'Frame'");
}

TEST_F(TitleWatcherTest, IgnoredCloseIsAskedAgainOnceTheSuppressionEnds) {
  UseFragments({"casino"});
  WindowId stubborn = Foreground("Casino");
  desk.Get(stubborn).closesOnRequest = false;
  clock.Advance(9000);
  // Closed at 500 ms, then at the first tick after each 3000 ms suppression.
  EXPECT_EQ(desk.CloseRequests(stubborn), 3);
}

TEST_F(TitleWatcherTest, OnlyTheFirst199CharactersOfATitleCount) {
  UseFragments({"jackpot"});
  for (const auto& [filler, closed] :
       std::vector<std::pair<size_t, bool>>{{192, true}, {193, false}}) {
    SCOPED_TRACE(filler);
    std::string title = std::string(filler, '.') + "JACKPOT" + std::string(50, '.');
    WindowId window = Foreground(title);
    Tick(8);
    EXPECT_EQ(desk.Exists(window), !closed);
    if (closed) {
      EXPECT_EQ(records.back(),
                "14:05:07 found 'jackpot' within Window Title '" + title.substr(0, 199) + "'");
    }
    if (desk.Exists(window)) desk.Remove(window);
  }
}

TEST_F(TitleWatcherTest, AdviceComesAtTheFifthAndEveryTwentiethAnsweredErrorBox) {
  UseFragments({"casino"});
  browserActive = true;
  std::vector<int> adviceAt, settingsAt;
  for (int answered = 1; answered <= 61; ++answered) {
    WindowId box = desk.Add("Error", "#32770");
    desk.AddButton(box, "&Yes");
    ButtonId no = desk.AddButton(box, "&No");
    size_t boxes = dialogs.Boxes().size();
    int shown = settingsShown;
    Tick();
    ASSERT_FALSE(desk.Exists(box));
    ASSERT_EQ(desk.Pressed().back(), no);
    ASSERT_EQ(desk.Activated().back(), box);
    if (dialogs.Boxes().size() > boxes) adviceAt.push_back(answered);
    if (settingsShown > shown) settingsAt.push_back(answered);
  }
  EXPECT_EQ(watcher.lErrorBoxCount(), 61);
  EXPECT_EQ(adviceAt, (std::vector<int>{5, 20, 40, 60}));
  EXPECT_EQ(settingsAt, adviceAt);
  const auto& advice = dialogs.Boxes().front();
  EXPECT_EQ(advice.title, "Helpful Advice to reduce the error messages.");
  EXPECT_EQ(advice.style, msgbox::kCritical);
  EXPECT_EQ(advice.text.rfind("You are seeing a lot of error boxes.", 0), 0u);
  EXPECT_NE(advice.text.find("Disable Script Debugging"), std::string::npos);
}

// Only while the browser is active: tests/forms/title_blocking_test.cpp.
TEST_F(TitleWatcherTest, ErrorBoxWithoutNoIsLoggedEveryTickAndLeftAlone) {
  UseFragments({"casino"});
  WindowId box = desk.Add("Error", "#32770");
  desk.AddButton(box, "OK");
  desk.Add("Error details", "#32770");
  browserActive = true;
  Tick(3);
  EXPECT_EQ(log, std::vector<std::string>(3, "No '&No' found on 'Error' window."));
  EXPECT_TRUE(desk.Pressed().empty());
  EXPECT_EQ(watcher.lErrorBoxCount(), 0);
}

}  // namespace
}  // namespace quorlen
