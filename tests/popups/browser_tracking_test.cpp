#include <gtest/gtest.h>

#include "tests/popups/popup_fixture.h"

namespace quorlen {
namespace {

namespace vk = virtual_key;
using testing_support::PopupProgramTest;
using testing_support::ProgramTest;

class BrowserTrackingTest : public PopupProgramTest {
 protected:
  IE_Class& Listener(int index) { return Popups().oIEWindows()->IE(index); }
};

TEST_F(BrowserTrackingTest, AnotherWindowRebuildsEveryListenerWithItsDump) {
  page->Sink()->NavigationStarting("javascript:x()", true);
  ASSERT_TRUE(Listener(0).bNavJava());
  ClearLog();
  page->title = "Example page";
  browsers.Open("http://second.example/");
  EXPECT_TRUE(Logged("# winShell_Window registered cookie=1"));
  EXPECT_EQ(Occurrences("# IE_Class Initialize:"), 2);
  EXPECT_TRUE(Logged("# locname Example page"));
  EXPECT_TRUE(Logged("# url http://second.example/"));
  EXPECT_TRUE(Logged("# addbar True"));
  EXPECT_FALSE(Logged("# fname "));  // the fake cannot tell it: the line is left out
  // The newest line is on top: the rebuild's last line comes first.
  EXPECT_EQ(Log().find("# cIEWindows Init: RefreshCol"), Log().find(" - ") + 3);
  EXPECT_EQ(Popups().oIEWindows()->Count(), 2);
  EXPECT_FALSE(Listener(0).bNavJava());
  EXPECT_FALSE(Listener(0).bDownloading());
  EXPECT_EQ(Listener(0).sLastCompleteURL(), "");
}

TEST_F(BrowserTrackingTest, ScriptNavigationsSetTheWindowsJavaFlag) {
  // The address, whether the top frame goes there, and the flag after it.
  const std::tuple<const char*, bool, bool> rows[] = {
      {"JAVASCRIPT:void(0)", true, true},
      {"http://www.example.com/", true, false},
      {"javaScript:open('x')", false, true},
      {"http://frame.example/javascript:/", false, true},  // contained anywhere
      {"http://www.example.com/next", true, false},
  };
  for (const auto& [url, topFrame, bNavJava] : rows) {
    SCOPED_TRACE(url);
    page->Sink()->NavigationStarting(url, topFrame);
    EXPECT_EQ(Listener(0).bNavJava(), bNavJava);
    EXPECT_TRUE(Logged(std::string("nav begin (click reset) to ") + url + "."));
  }
}

TEST_F(BrowserTrackingTest, NavigationsClearClicksAndFollowThePages) {
  Tap(vk::kLeftButton);
  page->Sink()->NavigationStarting("http://www.example.com/b", true);
  EXPECT_FALSE(Popups().Input().getMouseClicked());
  EXPECT_TRUE(Listener(0).bDownloading());
  EXPECT_TRUE(Popups().Activity().TimerIEActive.Enabled());
  page->Navigate("http://www.example.com/b");
  EXPECT_FALSE(Listener(0).bDownloading());
  EXPECT_EQ(Listener(0).sLastCompleteURL(), "http://www.example.com/b");
  EXPECT_EQ(Controls().LblKeyName.Caption(), "reset: download complete");
  EXPECT_TRUE(
      Logged("-Nav Complete (click reset) from 'http://www.example.com/page.html' to \r\n"
             "    'http://www.example.com/b'"));
  EXPECT_TRUE(Logged("-doc complete (reset click) to http://www.example.com/b"));
  EXPECT_TRUE(Logged("download Complete (reset click) to http://www.example.com/b"));
  EXPECT_EQ(Popups().Activity().getCurURL(), "http://www.example.com/b");
  clock.Advance(4000);
  EXPECT_FALSE(Popups().Activity().TimerIEActive.Enabled());
}

TEST_F(BrowserTrackingTest, AFramesDocumentChangesNothing) {
  page->Sink()->NavigationStarting("http://frame.example/", false);
  ASSERT_TRUE(Listener(0).bDownloading());
  Tap(vk::kLeftButton);
  page->Sink()->DocumentLoaded("http://frame.example/", false);
  EXPECT_TRUE(Listener(0).bDownloading());
  EXPECT_TRUE(Popups().Input().getMouseClicked());
  EXPECT_FALSE(Logged("-doc complete"));
}

TEST_F(BrowserTrackingTest, DownloadBeginOnTheLastCompletedPageForgetsThePreviousPage) {
  page->Navigate("http://www.example.com/one");
  page->Sink()->LoadingStarted();  // a reload of the page that completed last
  EXPECT_EQ(Popups().Activity().getLastURL(), "");
  EXPECT_EQ(Popups().Activity().getCurURL(), "http://www.example.com/one");
  auto other = browsers.Open("http://other.example/");
  other->Sink()->LoadingStarted();  // this listener has no completed page yet
  EXPECT_EQ(Popups().Activity().getLastURL(), "http://www.example.com/one");
  EXPECT_EQ(Popups().Activity().getCurURL(), "http://other.example/");
}

TEST_F(BrowserTrackingTest, AClosedWindowsReadsFailWithoutHarm) {
  page->Navigate("http://www.example.com/x");
  page->gone = true;
  page->Sink()->LoadingStarted();
  page->Sink()->LoadingStopped();
  EXPECT_EQ(Popups().Activity().getCurURL(), "http://www.example.com/x");
  EXPECT_TRUE(browsers.OpenFrom(page));  // the opener reads as empty
  EXPECT_TRUE(Logged("**** BLOCKED ''"));
}

TEST_F(BrowserTrackingTest, UntickingTheBoxAndTheExitLetGoOfEveryWindow) {
  Controls().chkIEPops.SetTicked(false);
  EXPECT_EQ(Popups().oIEWindows(), nullptr);
  EXPECT_EQ(browsers.Sink(), nullptr);
  EXPECT_EQ(page->Sink(), nullptr);
  EXPECT_EQ(
      Controls().lblStatus.Caption().rfind("Quorlen will no longer use special processing", 0), 0u);
  ClearLog();
  auto unfollowed = browsers.Open("http://second.example/");
  EXPECT_FALSE(browsers.OpenFrom(unfollowed));
  EXPECT_EQ(Log(), "");
  program->Save();
  EXPECT_EQ(SettingsValue("bBlockIEPopups"), "False");

  Controls().chkIEPops.SetTicked(true);
  ASSERT_NE(Popups().oIEWindows(), nullptr);
  EXPECT_EQ(Popups().oIEWindows()->Count(), 3);
  EXPECT_TRUE(program->Options().bBlockIEPopups);
  EXPECT_EQ(
      Controls().lblStatus.Caption().rfind("Quorlen will now prevent popup ads from opening.  ", 0),
      0u);
  EXPECT_TRUE(browsers.OpenFrom(unfollowed));
  program->mnuTrayExit_Click();  // the exit lets go of the browsers
  EXPECT_EQ(browsers.Sink(), nullptr);
  EXPECT_EQ(page->Sink(), nullptr);
}

TEST_F(ProgramTest, WithPopupBlockingOffNoBrowserIsFollowed) {
  StartedBefore();
  dir.Write("program/quorlen.ini",
            "[Settings]\r\nbBlockIEPopups=False\r\nbBlockAdServers=False\r\n");
  frmMain& main = Start();
  main.Controls().cmdClear.Click();
  clock.Advance(2500);
  EXPECT_EQ(main.Popups().oIEWindows(), nullptr);
  auto window = browsers.Open("http://www.example.com/");
  EXPECT_EQ(window->Sink(), nullptr);
  EXPECT_EQ(main.Controls().txtStatus.Text(), "");
}

TEST_F(ProgramTest, TheDelayedStepJoinsTheBrowsersOpenThen) {
  StartedBefore();
  auto early = browsers.Open("http://early.example/");
  frmMain& main = Start();
  EXPECT_EQ(early->Sink(), nullptr);
  clock.Advance(2500);
  ASSERT_NE(main.Popups().oIEWindows(), nullptr);
  EXPECT_NE(early->Sink(), nullptr);
  EXPECT_EQ(browsers.connects, 1);
}

// Switched on with no browser to follow, the status says a moment later what to start; not
// when a browser joined meanwhile or blocking was switched off again.
TEST_F(ProgramTest, SwitchingPopupBlockingOnWithNoBrowserToFollowSaysWhatToStart) {
  enum class Meanwhile { kNothing, kBrowserOpens, kSwitchedOff };
  for (Meanwhile meanwhile :
       {Meanwhile::kNothing, Meanwhile::kBrowserOpens, Meanwhile::kSwitchedOff}) {
    SCOPED_TRACE(static_cast<int>(meanwhile));
    StartedBefore();
    frmMain& main = Start();
    clock.Advance(3000);
    auto& box = main.Controls().chkIEPops;
    box.SetTicked(false);
    box.SetTicked(true);
    const std::string promised = main.Controls().lblStatus.Caption();
    std::shared_ptr<FakeBrowserWindow> window;
    if (meanwhile == Meanwhile::kBrowserOpens) window = browsers.Open("http://www.example.com/");
    if (meanwhile == Meanwhile::kSwitchedOff) box.SetTicked(false);
    const std::string before = main.Controls().lblStatus.Caption();
    clock.Advance(PopupBlocker::kNoBrowserNoticeMs - 1);
    EXPECT_EQ(main.Controls().lblStatus.Caption(), before);
    clock.Advance(1);
    if (meanwhile == Meanwhile::kNothing) {
      EXPECT_EQ(main.Controls().lblStatus.Caption(),
                promised + "\r\n\r\n" + std::string(kNoBrowserFollowed));
    } else {
      EXPECT_EQ(main.Controls().lblStatus.Caption(), before);
    }
    if (window) browsers.Close(window);
  }
}

}  // namespace
}  // namespace quorlen
