#include "update/version_check.h"

#include <gtest/gtest.h>

#include "platform/fake/scripted_dialogs.h"
#include "platform/fake/scripted_fetch.h"

namespace quorlen {
namespace {

constexpr const char* kVendor = "http://vendor.test/q/";
constexpr const char* kVersionFile = "http://vendor.test/q/zshared/version.txt";
constexpr const char* kDomains = "http://vendor.test/q/zshared/domains.txt";

class VersionCheckTest : public ::testing::Test {
 protected:
  VersionCheck& Check(const std::string& ownVersion = "2.0.5") {
    check = std::make_unique<VersionCheck>(
        fetcher, dialogs,
        VersionCheckControls{A, lblStatus, txtProxyName, mnuVersion, cmdNew, mnuTest, cmdTestConn},
        VersionCheckHooks{[this] { return loading; },
                          [this](const std::string& address) { opened.push_back(address); },
                          [this] { ++exits; }},
        VersionCheckSite{kVendor, ownVersion});
    return *check;
  }
  const ScriptedDialogs::Box& OnlyBox() {
    EXPECT_EQ(dialogs.Boxes().size(), 1u);
    return dialogs.Boxes().back();
  }

  VirtualClock clock;
  ScriptedFetch web{clock};
  ScriptedDialogs dialogs;
  TextBox txtProxyName;
  std::string sProxyName;
  Fetcher fetcher{web, clock, dialogs, txtProxyName, sProxyName};
  TabStrip A;
  Label lblStatus;
  MenuItem mnuVersion, mnuTest;
  Button cmdNew, cmdTestConn;
  bool loading = false;
  std::vector<std::string> opened;
  int exits = 0;
  std::unique_ptr<VersionCheck> check;
};

TEST_F(VersionCheckTest, ReadsTheSiteVersionByCharacterPositions) {
  struct Case {
    const char* name;
    std::string ownVersion;
    std::optional<std::string> site;  // nothing: the site cannot be reached
    bool current;
    std::string siteVersion, changes;
  };
  for (const Case& c : std::vector<Case>{
           {"same version", "2.0.5", "Version:2.0.5 Faster lists.", true, "2.0.5", "Faster lists."},
           {"equal but for blanks", "1.0", "Version: 1.0 Xwhat changed", true, " 1.0 ",
            "what changed"},
           {"newer on the site", "2.0.5", "Version:2.1.0 New popup rules", false, "2.1.0",
            "New popup rules"},
           {"a longer own version never matches five characters", "2.0.15", "Version:2.0.15 x",
            false, "2.0.1", " x"},
           {"shorter than nine characters", "2.0.5", "Version:", false, "", ""},
           {"exactly thirteen characters", "2.0.5", "Version:2.0.6", false, "2.0.6", ""},
           {"no connection counts as current", "2.0.5", std::nullopt, true, "2.0.5",
            VersionCheck::kUnavailable},
       }) {
    web.Forget();
    if (c.site) web.Serve(kVersionFile, *c.site);
    std::string own, site, changes;
    EXPECT_EQ(Check(c.ownVersion).CheckVersion(own, site, changes), c.current) << c.name;
    EXPECT_EQ(own, c.ownVersion) << c.name;
    EXPECT_EQ(site, c.siteVersion) << c.name;
    EXPECT_EQ(changes, c.changes) << c.name;
    EXPECT_EQ(web.requests.back().timeoutSeconds, 15) << c.name;
    EXPECT_EQ(web.requests.back().maxBytes, VersionCheck::kMaxVersionBytes) << c.name;
  }
}

// However much the site sends, the box fits on the screen: at most twenty lines of eighty
// characters, a longer line counting as the lines it wraps to.
TEST(ShownChanges, FitsInTwentyLinesOfEightyCharacters) {
  auto lines = [](int n, const std::string& line) {
    std::string text;
    for (int i = 0; i < n; ++i) text += line + "\r\n";
    return text;
  };
  const std::string wide(80, 'w');
  struct Case {
    const char* name;
    std::string changes, shown;
  } cases[] = {
      {"a short text as it is", "Faster lists.\r\nNew rules.", "Faster lists.\r\nNew rules."},
      {"twenty lines as they are", lines(19, "a") + "b", lines(19, "a") + "b"},
      {"the twenty-first line goes", lines(20, "a") + "b", lines(19, "a") + "a..."},
      {"empty lines count", lines(25, ""), lines(19, "") + "..."},
      {"a long line counts as it wraps", lines(19, "a") + wide + "x",
       lines(19, "a") + wide + "..."},
      {"one word of 4000 characters", std::string(4000, 'w'), std::string(1600, 'w') + "..."},
      {"lines of 81 characters wrap to two", lines(11, wide + "x"),
       lines(9, wide + "x") + wide + "x..."},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownChanges(c.changes), c.shown) << c.name;
}

TEST_F(VersionCheckTest, CurrentVersionShowsWhatItHas) {
  web.Serve(kVersionFile, "Version:2.0.5 Faster lists.");
  A.SetCurrentPage(0);
  Check().mnuVersion_Click();
  EXPECT_EQ(A.CurrentPage(), 5);
  EXPECT_EQ(OnlyBox().text,
            "You have the latest version (2.0.5).  It has these features that the previous "
            "version did not:\r\nFaster lists.");
  EXPECT_EQ(OnlyBox().style, 0);
  EXPECT_EQ(OnlyBox().title, "Quorlen");
}

TEST_F(VersionCheckTest, UnreachableWhenTheSiteSaysTooLittle) {
  web.Serve(kVersionFile, "Version");
  Check();
  mnuVersion.Click();
  EXPECT_EQ(OnlyBox().text,
            "The Quorlen Server could not be reached.  Please check your internet connection "
            "and try again later.");
  EXPECT_TRUE(opened.empty());
}

TEST_F(VersionCheckTest, TheOfferAnsweredNoLeavesTheProgramRunning) {
  web.Serve(kVersionFile, "Version:2.0.15 Fixes");
  dialogs.AnswerNext(msgbox::kAnswerNo);
  Check("2.0.15");
  cmdNew.Click();
  EXPECT_EQ(OnlyBox().title, "A New Version is Available");
  EXPECT_EQ(OnlyBox().style, 4);
  EXPECT_EQ(OnlyBox().text,
            "The newer version (2.0.1) of Quorlen is available. You have version (2.0.15)\r\n"
            " Fixes\r\n\r\nWould you like to download this version now?\r\n"
            "http://vendor.test/q/download.asp");
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(exits, 0);
}

// Yes opens the download page the offer names, where a Linux user finds the package.
TEST_F(VersionCheckTest, YesOpensTheDownloadPageAndEndsTheProgram) {
  web.Serve(kVersionFile, "Version:3.0.0 All new\r\n" + std::string(20 * 1024 * 1024, 'x'));
  dialogs.AnswerNext(msgbox::kAnswerYes);
  Check();
  mnuVersion.Click();
  EXPECT_LT(OnlyBox().text.size(), 2000u);
  EXPECT_EQ(opened, std::vector<std::string>{"http://vendor.test/q/download.asp"});
  EXPECT_EQ(exits, 1);
}

TEST_F(VersionCheckTest, TheButtonWaitsForTheWindowToLoadTheMenuDoesNot) {
  web.Serve(kVersionFile, "Version:2.0.5 x");
  loading = true;
  Check();
  cmdNew.Click();
  EXPECT_TRUE(dialogs.Boxes().empty());
  mnuVersion.Click();
  EXPECT_EQ(dialogs.Boxes().size(), 1u);
  cmdTestConn.Click();
  mnuTest.Click();
  EXPECT_EQ(dialogs.Boxes().size(), 1u);  // the connection test waits too
  EXPECT_EQ(web.Requests(kDomains), 0);
}

TEST_F(VersionCheckTest, ConnectionTestWithoutAProxy) {
  struct Case {
    const char* name;
    bool served;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{
           {"success", true,
            "The test was a success. Quorlen was able to connect to the internet (no proxy "
            "server used)."},
           {"failure", false,
            "Couldn't connect to server\r\nhttp://vendor.test/q/zshared/domains.txt\r\n"
            "The test of your internet connection without a proxy server failed.\r\n\r\n"
            "Are you sure you're connected to the internet?\r\n\r\n"
            "Are you sure you don't use a proxy server?  You need to know your "},
       }) {
    web.Forget();
    if (c.served) web.Serve(kDomains, "ads.example\r\n[END]\r\n");
    ScriptedDialogs boxes;
    Fetcher direct{web, clock, boxes, txtProxyName, sProxyName};
    Label status;
    std::vector<std::string> statuses;
    Connection told = status.changed.Connect([&] { statuses.push_back(status.Caption()); });
    VersionCheck test(direct, boxes,
                      {A, status, txtProxyName, mnuVersion, cmdNew, mnuTest, cmdTestConn},
                      {[] { return false; }, nullptr, nullptr}, {kVendor, "2.0.5"});
    test.mnuTest_Click();
    ASSERT_EQ(boxes.Boxes().size(), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes()[0].text.substr(0, c.text.size()), c.text) << c.name;
    EXPECT_TRUE(
        boxes.Boxes()[0].text.ends_with(
            "If you do type in a proxy server name, you MUST RESTART Quorlen for those changes to "
            "take effect.") ||
        c.served)
        << c.name;
    ASSERT_GE(statuses.size(), 3u) << c.name;
    EXPECT_EQ(statuses[statuses.size() - 3], "Testing Connection to Quorlen. Please wait...");
    EXPECT_EQ(statuses[statuses.size() - 2],
              "Testing Connection to Quorlen (no proxy server used). Please wait...");
    EXPECT_EQ(status.Caption(), "Connection Tests Concluded.") << c.name;
    EXPECT_TRUE(web.requests.back().proxy.empty()) << c.name;
    EXPECT_EQ(web.requests.back().timeoutSeconds, 15);
  }
}

// The box decides that a proxy is used; the saved setting which one. A proxy typed but
// not saved is neither shown nor used: the fetch keeps the one it holds.
TEST_F(VersionCheckTest, ConnectionTestWithAProxyShowsTheOneTheFetchHolds) {
  sProxyName = "http://proxy.test:3128";
  txtProxyName.SetText("http://typed.test:8080");
  web.Serve(kDomains, "ads.example\r\n[END]\r\n");
  std::vector<std::string> statuses;
  Connection told = lblStatus.changed.Connect([&] { statuses.push_back(lblStatus.Caption()); });
  Check().mnuTest_Click();
  // Before the first fetch the transfer holds no proxy yet.
  EXPECT_EQ(statuses[1], "Testing Connection to Quorlen. Please wait...\r\nUsing Proxy Server ''");
  EXPECT_EQ(OnlyBox().text,
            "The test was a success.  Quorlen was able to connect to the internet using your "
            "named proxy server 'http://proxy.test:3128'");
  EXPECT_EQ(web.requests.back().proxy, "http://proxy.test:3128");

  web.Forget();
  cmdTestConn.Click();
  EXPECT_EQ(statuses[statuses.size() - 2],
            "Testing Connection to Quorlen. Please wait...\r\nUsing Proxy Server "
            "'http://proxy.test:3128'");
  const std::string& failure = dialogs.Boxes().back().text;
  EXPECT_EQ(failure.rfind("The test of your internet connection using http://proxy.test:3128 "
                          "as your proxy server failed.\r\n\r\nMake sure you are connected to "
                          "the internet and you have named ",
                          0),
            0u);
  EXPECT_TRUE(failure.ends_with(
      "\r\n\r\nIf this test still fails, maybe you don't need a proxy server. Test by clearing "
      "the proxy server name, then RESTART Quorlen so the changes take effect and test again."));
  EXPECT_EQ(lblStatus.Caption(), "Connection Tests Concluded.");
}

}  // namespace
}  // namespace quorlen
