#include "update/frm_test_domains.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "tests/update/data_update_fixture.h"
#include "update/download_format.h"

namespace quorlen {
namespace {

using testing_support::ListFile;
using testing_support::TempFolder;
using Answer = ScriptedFetch::Answer;

// A slow failure: one attempt of the fetch, not repeated at once.
const Answer kDown{"", "Timeout was reached", 0, true};
const Answer kUp{"<html>ok</html>", "", 30, false};

class DomainTester : public ::testing::Test, protected testing_support::FetchWorld {
 protected:
  DomainTester() {
    std::filesystem::create_directories(dir.File("zshared"));
    dir.Write("quorlenhosts.ini",
              ListFile({"up.example", " ", "second.example", "third.example", "dead.example"}));
    dir.Write("removals.ini", ListFile({"old.example"}));
    web.Script("up.example", {kUp});
    web.Script("second.example", {kDown, kUp});
    web.Script("third.example", {kDown, kDown, kUp});
    web.Script("dead.example", {kDown});
    tester.Show();
  }
  void RunTest(int answer = msgbox::kAnswerYes) {
    dialogs.AnswerNext(answer);
    tester.cmdTest.Click();
  }

  TempFolder dir;
  FakeDesktop desktop;
  ProfileStore profiles;
  std::string defaultList = dir.File("quorlenhosts.ini");
  std::string removalsList = dir.File("removals.ini");
  frmTestDomains tester{fetcher,
                        clock,
                        dialogs,
                        desktop,
                        profiles,
                        TestDomainsFiles{defaultList, removalsList},
                        [this] { return dir.File("zshared/"); }};
};

TEST_F(DomainTester, ServersThatAnswerOnTheSecondOrThirdAttemptPass) {
  RunTest();
  const auto& box = dialogs.Boxes().front();
  EXPECT_EQ(box.text.rfind("Click YES for main list of ad servers", 0), 0u);
  EXPECT_EQ(box.style, msgbox::kYesNo);
  EXPECT_EQ(tester.lstTry.Items(), (std::vector<std::string>{"up.example", "second.example",
                                                             "third.example", "dead.example"}));
  EXPECT_EQ(tester.lstFail.Items(), std::vector<std::string>{"dead.example"});
  EXPECT_EQ(web.Requests("second.example"), 2);
  EXPECT_EQ(web.Requests("third.example"), 3);
  // Three attempts in the test, one more in the retry pass that follows it.
  EXPECT_EQ(web.Requests("dead.example"), 4);
  EXPECT_EQ(web.requests.front().timeoutSeconds, 5);
  EXPECT_EQ(
      std::vector({tester.lblTryCount.Caption(), tester.lblFailCount.Caption(),
                   tester.lblErr.Caption(), tester.txtResult.Text(), tester.lblTries.Caption()}),
      (std::vector<std::string>{"4", "1", " Err#=1 Desc='Timeout was reached'", "<html>ok</html>",
                                "Fail list tries: 1"}));
  EXPECT_EQ(std::tuple(tester.cmdTest.Enabled(), tester.Timer1.Enabled(), tester.Countdown()),
            std::tuple(true, true, 25));
}

TEST_F(DomainTester, TheRemovalListCanBeRetestedInstead) {
  web.Script("old.example", {kUp});
  RunTest(msgbox::kAnswerNo);
  EXPECT_EQ(tester.lstTry.Items(), std::vector<std::string>{"old.example"});
  EXPECT_EQ(tester.lstFail.Count(), 0);
}

TEST_F(DomainTester, FailuresAreRetriedEveryTwentyFiveSecondsUntilTheTimerStops) {
  web.Script("dead.example", {kDown, kDown, kDown, kDown, kUp});
  RunTest();
  ASSERT_EQ(tester.lstFail.Count(), 1);
  clock.Advance(24 * 1000);
  EXPECT_EQ(tester.lblStatus.Caption(), "Retry Fail List in 1");
  EXPECT_EQ(web.Requests("dead.example"), 4);
  clock.Advance(1000);
  EXPECT_EQ(tester.lblStatus.Caption(), "Retrying Fail List NOW");
  EXPECT_EQ(tester.lstFail.Count(), 0);
  EXPECT_EQ(tester.lblFailStatus.Caption(), "Worked! dead.example");
  EXPECT_EQ(tester.lblTries.Caption(), "Fail list tries: 2");
  // An emptied list still restarts the countdown.
  EXPECT_EQ(std::pair(tester.Timer1.Enabled(), tester.Countdown()), std::pair(true, 25));
  clock.Advance(25 * 1000);
  EXPECT_EQ(tester.RetryPasses(), 3);

  tester.cmdStopTimer.Click();
  clock.Advance(100 * 1000);
  EXPECT_EQ(tester.RetryPasses(), 3);
}

TEST_F(DomainTester, PauseStopsARetryPassAtOnce) {
  for (const char* name : {"a.example", "b.example", "c.example"}) {
    tester.lstFail.AddItem(name);
    web.Script(name, {kDown});
  }
  web.whileWaiting = [&](const FetchRequest& request) {
    if (request.url == "a.example") tester.Command2.Click();
  };
  tester.cmdTestFail.Click();
  EXPECT_EQ(web.Requests("a.example"), 1);
  EXPECT_EQ(web.Requests("b.example"), 0);
  EXPECT_EQ(tester.lstFail.Count(), 3);
  EXPECT_TRUE(tester.Timer1.Enabled()) << "the countdown runs on after a pause";
}

TEST_F(DomainTester, TimerTicksWaitWhileServersAreFetched) {
  tester.cmdTestFail.Click();  // an empty pass starts the countdown
  ASSERT_TRUE(tester.Timer1.Enabled());
  RunTest();  // some 30 s of fetching, while the countdown would run out
  EXPECT_EQ(tester.RetryPasses(), 2) << "only the pass after the test, none inside it";
  EXPECT_EQ(web.Requests("dead.example"), 4);
  EXPECT_EQ(tester.lblStatus.Caption(), "") << "the countdown did not run during the test";
}

TEST_F(DomainTester, FixingTwiceAddsADatedLineEachTimeButNoServerTwice) {
  dir.Write("zshared/domains.txt",
            "# list\r\nup.example\r\ndead.example\r\nnot.dead.example\r\nother.example\r\n[END]");
  dir.Write("zshared/removals.txt", "# gone\r\nold.example\r\n[END]");
  tester.lstFail.AddItem("dead.example");
  tester.lstFail.AddItem("old.example");
  tester.cmdUpdate.Click();
  tester.cmdUpdate.Click();
  // A plain text search: the tail of a longer name goes with it. Each write ends the text
  // with one more line end, as every whole-file write of the program does.
  EXPECT_EQ(dir.Read("zshared/domains.txt"),
            "# list\r\nup.example\r\nnot.other.example\r\n[END]\r\n\r\n");
  EXPECT_EQ(dir.Read("zshared/removals.txt"),
            "# gone\r\nold.example\r\n[END]\r\n#12/6/2026 9:05:07 AM\r\ndead.example\r\n\r\n"
            "\r\n#12/6/2026 9:05:07 AM\r\n\r\n");
  EXPECT_EQ(tester.lblStatus.Caption(), "Adding to " + dir.File("zshared/removals.txt"));
  EXPECT_EQ(tester.lblErr.Caption(), "skipping (in list) old.example");
  EXPECT_TRUE(dialogs.Boxes().empty());
}

TEST_F(DomainTester, MissingSiteFilesAreNamed) {
  tester.txtDir.SetText(dir.File("nowhere/"));
  tester.cmdUpdate.Click();
  ASSERT_EQ(dialogs.Boxes().size(), 2u);
  EXPECT_EQ(dialogs.Boxes()[0].text, dir.File("nowhere/domains.txt") + " does not exist");
  EXPECT_EQ(dialogs.Boxes()[1].text, dir.File("nowhere/removals.txt") + " does not exist");

  tester.cmdOpenDomains.Click();
  tester.cmdOpenRemovals.Click();
  EXPECT_EQ(desktop.opened, (std::vector<std::string>{dir.File("nowhere/domains.txt"),
                                                      dir.File("nowhere/removals.txt")}));
}

}  // namespace
}  // namespace quorlen
