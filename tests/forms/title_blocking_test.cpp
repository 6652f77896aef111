#include "platform/input.h"
#include "tests/forms/program_fixture.h"

namespace quorlen {
namespace {

// Window-title blocking inside the whole program, with its records, entries and editor.
class TitleBlocking : public testing_support::ProgramTest {
 protected:
  void SetUp() override {
    StartedBefore();
    dir.Write("program/qltitles.ini",
              testing_support::ListFile({"Claim your prize", "Lucky Visitor"}));
    WriteSettings("bBlockAdServers=False\r\nbBlockIEPopups=True\r\nnTotBlocked=7\r\n");
  }
  WindowId Popup(const std::string& title = "Claim your prize now - Chromium") {
    WindowId window = desk.Add(title, "Chromium-browser");
    desk.SetForeground(window);
    return window;
  }
};

TEST_F(TitleBlocking, ClosedPopupIsCountedRecordedAndCanBeAllowedFromTheTray) {
  frmMain& main = Start();
  auto& c = main.Controls();
  WindowId popup = Popup();
  clock.Advance(500);
  EXPECT_FALSE(desk.Exists(popup));
  // Shown where a cancelled popup is shown (and counted: the popup decision tests).
  EXPECT_EQ(c.lblpage.Caption(),
            "User Defined Popup Blocked 'Claim your prize now - Chromium' 'Chromium-browser'");
  ListBox records;
  main.ListTitleBuffer(records);
  EXPECT_EQ(records.Items(),
            std::vector<std::string>{"09:05:07 found 'Claim your prize' within Window Title "
                                     "'Claim your prize now - Chromium'"});
  EXPECT_TRUE(c.mnuTrayLastPop.Enabled());

  c.mnuTrayLastPop.Click();
  auto& editor = main.PopupTitlesEditor();
  EXPECT_TRUE(editor.window.Visible());
  EXPECT_EQ(editor.lstAdd.Text(), "Claim your prize");
  clock.Advance(10000);  // the blink ends with Delete enabled
  editor.cmdDel.Click();
  editor.cmdOK.Click();
  EXPECT_EQ(main.PopupTitleList().Fragments(), std::vector<std::string>{"Lucky Visitor"});
  popup = Popup();
  clock.Advance(5000);
  EXPECT_TRUE(desk.Exists(popup));
}

TEST_F(TitleBlocking, NothingClosesWhilePopupsAreAllowedOrBlockingIsOff) {
  struct Case {
    const char* name;
    std::function<void(frmMain&)> allow, undo;
  };
  const Case cases[] = {
      {"tray allowance", [](frmMain& m) { m.Controls().mnuTrayPopups.Click(); },
       [](frmMain& m) { m.Controls().mnuTrayPopups.Click(); }},
      // Ctrl counts from its press until the click-reset time has passed.
      {"Ctrl pressed", [this](frmMain&) { input.Press(virtual_key::kControl); },
       [this](frmMain&) { input.Release(virtual_key::kControl); }},
      {"popup blocking unticked", [](frmMain& m) { m.Controls().chkIEPops.SetTicked(false); },
       [](frmMain& m) { m.Controls().chkIEPops.SetTicked(true); }},
  };
  frmMain& main = Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.allow(main);
    clock.Advance(100);
    WindowId popup = Popup();
    clock.Advance(1500);
    EXPECT_TRUE(desk.Exists(popup));
    c.undo(main);
    clock.Advance(2500);
    EXPECT_FALSE(desk.Exists(popup));
    clock.Advance(3000);
  }
}

TEST_F(TitleBlocking, ErrorBoxesAreAnsweredOnlyWhileTheBrowserIsActive) {
  frmMain& main = Start();
  auto errorBox = [this] {
    WindowId box = desk.Add("Error", "Gtk-dialog");
    desk.AddButton(box, "&No");
    return box;
  };
  WindowId first = errorBox();
  clock.Advance(1000);
  EXPECT_TRUE(desk.Exists(first));
  main.Popups().Activity().TimerIEActive.SetEnabled(true);
  clock.Advance(500);
  EXPECT_FALSE(desk.Exists(first));
  clock.Advance(4000);  // the browser has been quiet for 4 seconds
  WindowId second = errorBox();
  clock.Advance(2000);
  EXPECT_TRUE(desk.Exists(second));
}

TEST_F(TitleBlocking, ShutdownStopsTheWatcherAndClosesItsWindows) {
  frmMain& main = Start();
  main.ShowPopupTitles();
  main.LastBlocked().Show();
  main.Controls().mnuFileExit.Click();
  EXPECT_FALSE(main.PopupTitlesEditor().window.Visible());
  EXPECT_FALSE(main.LastBlocked().window.Visible());
  WindowId popup = Popup();
  clock.Advance(2000);
  EXPECT_TRUE(desk.Exists(popup));
}

// GNOME on Wayland: nothing can be closed, and the program says so instead of promising it.
TEST_F(TitleBlocking, WhereNoWindowIsSeenTheProgramSaysSoOnceAndClaimsNoCloses) {
  desk.seesWindows = false;
  frmMain& main = Start();
  auto& c = main.Controls();
  EXPECT_EQ(c.lblLastTitle1.Caption(), TitleWatcher::kWindowsNotSeenLabel);
  clock.Advance(2500);
  const std::string status = c.lblStatus.Caption();
  const auto told = status.find(TitleWatcher::kWindowsNotSeen);
  EXPECT_NE(told, std::string::npos);
  clock.Advance(120000);
  EXPECT_EQ(c.lblStatus.Caption().rfind(TitleWatcher::kWindowsNotSeen), told);
}

}  // namespace
}  // namespace quorlen
