#include "help/help_windows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/virtual_clock.h"
#include "tests/support/temp_folder.h"

namespace quorlen {
namespace {

class HelpWindowsTest : public ::testing::Test {
 protected:
  HelpWindowsTest() {
    system.tempFolder = temp.Path();
    system.osName = "Linux 6.1.0";
    system.osRelease = "6.1.0-28-amd64";
    // The desktop is asked about a web page that is on disk at that moment.
    desktop.whileFindingBrowser = [this](const std::string& page) {
      pageOnDiskWhileAsked = std::filesystem::exists(page);
    };
    windows = std::make_unique<HelpWindows>(
        HelpWindows::Services{desktop, dialogs, clock, system},
        SiteAddresses{"http://vendor.example/q/", "http://www.maker.example/"}, "2.0.5");
  }

  std::vector<std::string> Addresses() const {
    std::vector<std::string> addresses;
    for (const auto& [program, address] : desktop.browsed) addresses.push_back(address);
    return addresses;
  }

  testing_support::TempFolder temp;
  VirtualClock clock;
  ScriptedDialogs dialogs;
  FakeDesktop desktop;
  FakeSystemInfo system;
  std::unique_ptr<HelpWindows> windows;
  bool pageOnDiskWhileAsked = false;
};

TEST_F(HelpWindowsTest, TheHelpLauncherOpensThePageClosesItselfAndGoesHomeOrBack) {
  windows->mnuHelpWeb_Click();
  windows->mnuHelpTut_Click();
  EXPECT_EQ(Addresses(), (std::vector<std::string>{"http://vendor.example/q/help.asp",
                                                   "http://vendor.example/q/helptut.asp"}));
  EXPECT_EQ(desktop.browsed[0].first, "/usr/bin/chromium");
  frmHelp& window = windows->Help();
  EXPECT_FALSE(window.window.Visible());
  EXPECT_EQ(window.txtURL.Text(), "http://vendor.example/q/helptut.asp");
  EXPECT_EQ(window.lblCommand.Caption(), "/usr/bin/chromium");
  EXPECT_EQ(windows->GetHelpURL(), "http://vendor.example/q/helptut.asp");
  EXPECT_TRUE(pageOnDiskWhileAsked);
  EXPECT_EQ(desktop.browserAskedAbout.front(), temp.File("temphtm.HTM"));
  EXPECT_FALSE(temp.Exists("temphtm.HTM"));
  EXPECT_TRUE(dialogs.Boxes().empty());

  // Its buttons go home, or back to the help page.
  window.cmdHome.Click();
  EXPECT_EQ(Addresses().back(), "http://vendor.example/q/default.asp");
  EXPECT_EQ(window.txtURL.Text(), "http://vendor.example/q/default.asp");
  windows->SetHelpURL("http://elsewhere.example/");
  window.window.SetVisible(true);
  window.cmdOK.Click();
  EXPECT_EQ(windows->GetHelpURL(), "http://vendor.example/q/help.asp");
  EXPECT_FALSE(window.window.Visible());
  EXPECT_EQ(desktop.browsed.size(), 3u);  // Done opens nothing
}

TEST_F(HelpWindowsTest, AMissingOrFailingBrowserIsToldAndThePageFileStillGoes) {
  struct Case {
    std::string browser;
    bool starts;
    std::string box;  // title (style): text
    size_t started;
  };
  for (const Case& c : std::vector<Case>{
           {"  ", true, "Browser Not Found (48): Could not find associated Browser", 0},
           {"/opt/gone/browser", false, "URL Failed (48): Web Page not Opened", 1},
       }) {
    SCOPED_TRACE(c.browser);
    ScriptedDialogs boxes;
    FakeDesktop failing;
    failing.browser = c.browser;
    failing.browserStarts = c.starts;
    HelpWindows other{{failing, boxes, clock, system}, {}, "1.0.0"};
    other.OpenPage("http://vendor.example/q/help.asp");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Line(), c.box);
    EXPECT_EQ(failing.browsed.size(), c.started);
    EXPECT_FALSE(temp.Exists("temphtm.HTM"));
  }
}

TEST_F(HelpWindowsTest, FeedbackReachesTheMakersPageEncoded) {
  windows->ShowFeedback();
  frmFeedback& feedback = windows->Feedback();
  feedback.txtEmail.SetText("jo.ann@mail.example");
  feedback.cmdSend.Click();
  EXPECT_TRUE(desktop.browserAskedAbout.empty());
  ASSERT_EQ(dialogs.Boxes().size(), 1u);
  EXPECT_EQ(dialogs.Boxes()[0].text,
            "Please enter a comment or question, then click Send Comment.  Thank you.");
  feedback.txtBody.SetText("It works/mostly.\r\nWhy? Ask me / later");
  feedback.cmdSend.Click();
  ASSERT_EQ(desktop.browsed.size(), 1u);
  EXPECT_EQ(Addresses()[0],
            "http://www.maker.example/zshared/feedback.asp?prod=Quorlen"
            "&email=jo.ann@mail.example"
            "&body=V2.0.5DAIt%20works%2Fmostly.DAWhy? Ask me / later");
  EXPECT_TRUE(feedback.window.Visible());  // it stays open after sending
  windows->ShowFeedback();
  EXPECT_FALSE(feedback.txtBody.Text().empty()) << "shown again while open: texts kept";
  feedback.cmdCancel.Click();
  windows->ShowFeedback();
  EXPECT_EQ(feedback.txtBody.Text(), "") << "closed, then opened: a new window";
  EXPECT_EQ(feedback.txtEmail.Text(), "");
}

// Its links, picture and OK are clicked on the view (tests/ui/click_through_test.cpp).
TEST_F(HelpWindowsTest, AboutNamesTheVersionAndTheSystemFeedbackTheContactAddress) {
  windows->ShowAbout();
  frmAbout& about = windows->About();
  EXPECT_EQ(about.lblVersion.Caption(), "Quorlen Version 2.0.5");
  EXPECT_EQ(about.lblExtra.Caption(),
            "You're running Linux\r\n\r\nLinux Version 6.1.0, Linux Build 28-amd64");
  EXPECT_EQ(MakerContactAddress("http://www.kestro.example/"), "feedback@kestro.example");
  EXPECT_EQ(MakerContactAddress("https://kestro.example:8443/site/"), "feedback@kestro.example");
  EXPECT_NE(windows->Feedback().Label2.Caption().find("feedback@maker.example"), std::string::npos);
}

TEST(AboutSystemText, InTheShapeOfTheWindowsText) {
  const std::pair<SystemFacts, const char*> cases[] = {
      {{true, "Linux 6.8.0", "6.8.0"},  // a release without a build
       "You're running Linux\r\n\r\nLinux Version 6.8.0, Linux Build "},
      {{true, "", "5.1-2600"},
       "You're running Windows XP, 2000, or NT\r\n\r\nWindows Version 5.1, Windows Build 2600"},
      {{false, "", "4.10-2222"},
       "You're running Windows 95, 98, or ME\r\n\r\nWindows Version 4.10, Windows Build 2222"},
  };
  for (const auto& [facts, text] : cases) EXPECT_EQ(frmAbout::SystemText(facts), text);
}

}  // namespace
}  // namespace quorlen
